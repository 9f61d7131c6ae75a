// The MLD file browser "mldファイル選択": a folder tree beside a list of the
// folder's ".mld" files with each file's melody title and date. The Open
// command picks its melody file here. The dialog is created once and keeps
// its folder, its list and its selection from one use to the next.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <string>

class QFileSystemModel;

namespace Ui {
class TFormMldSelect;
}

namespace quaverly {

class MessageBoxes;

class TFormMldSelect : public QDialog {
    Q_OBJECT

public:
    // Reads the "titl" text (Shift-JIS) of the MLD file at a path; throws on a
    // file it cannot read. The program uses ReadMelodyTitle.
    using TitleReader = std::function<std::string(const std::string& path)>;

    // Errors that end a listing go to the boxes' standard error display.
    explicit TFormMldSelect(MessageBoxes& boxes, QWidget* parent = nullptr, TitleReader readTitle = {});
    ~TFormMldSelect() override;

    // The folder whose files the list shows; empty until the first listing.
    const QString& CurrentFolder() const { return m_currentFolder; }
    void SetCurrentFolder(const QString& folder) { m_currentFolder = folder; }
    // The full path of the file chosen with OK.
    const QString& SelectedFileName() const { return m_selectedFileName; }

    // Fills the list from CurrentFolder, with the progress in Label1.
    void ListFolder();

    // The file-system path of the tree's selected node; empty when none.
    QString SelectedNodePath() const;
    // Selects the folder's node in the tree and scrolls it into view.
    void SelectFolderInTree(const QString& folder);

    // Whether the space key may list a folder: a local absolute path. A path
    // with two leading slashes names a network share, like "\\server\share"
    // on Windows, and is left alone.
    static bool IsLocalFolderPath(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The folder model reads the file system in the background from the
    // moment it has a root: it is made when the browser is first shown or a
    // folder is first selected, not when the dialog is created at start-up.
    void StartFolderTree();
    void FolderLoaded(const QString& folder);
    void ShellTreeView1DblClick(const QModelIndex& index);
    void ShellTreeView1KeyDown();
    void ButtonOKClick();

    std::unique_ptr<Ui::TFormMldSelect> ui;
    MessageBoxes& m_boxes;
    TitleReader m_readTitle;
    QFileSystemModel* m_folders = nullptr;
    // The tree loads folders in the background: the selected folder is
    // scrolled into view again as each level of its path arrives.
    QString m_folderToReveal;
    QString m_currentFolder;
    QString m_selectedFileName;
};

}  // namespace quaverly
