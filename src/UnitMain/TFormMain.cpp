// Construction and wiring of the main window, the change notices that keep
// EditState, and the steps that move texts between the controls and the core.
#include "TFormMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QProxyStyle>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>

#include "DiagnosticsView.h"
#include "EditMenu.h"
#include "LiveAnalysis.h"
#include "SequenceRowModel.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "platform/FormLook.h"
#include "components/TFileDrop.h"
#include "components/TWinPlace.h"
#include "UnitMld/MldLayout.h"
#include "platform/HelpLocation.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {
// Tabs, the tone and volume row and a few lines of a page.
constexpr int PagesMinimumHeight = 170;
}  // namespace

namespace {


// Designed place of the window; a stored placement replaces it at start-up.
constexpr int DesignedLeft = 192;
constexpr int DesignedTop = 107;
constexpr int SequenceColumnWidth = 64;

// The controls keep "\n" line ends; the score text and the files keep CR LF.
QString ToControlLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// The platform's keys for a standard command, or the common desktops' key
// where the platform has none.
void SetStandardShortcut(QAction* action, QKeySequence::StandardKey key, const QKeySequence& fallback)
{
    const QList<QKeySequence> platform = QKeySequence::keyBindings(key);
    action->setShortcuts(platform.isEmpty() ? QList<QKeySequence>{fallback} : platform);
}

class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TabBarTabHSpace) {
            return 12;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

}  // namespace

TFormMain::TFormMain(MelodyStore& store, const WindowServices& services, QWidget* parent)
    : QMainWindow(parent),
      m_ui(std::make_unique<Ui::TFormMain>()),
      m_store(store),
      m_services(services),
      m_document(store),
      m_programFolder(QCoreApplication::applicationDirPath()),
      m_terminateHandler([] { QCoreApplication::exit(0); })
{
    // Before the controls are made, so that they are made with the window's
    // font rather than changed to it one by one afterwards.
    ApplyWindowFont(this);
    m_ui->setupUi(this);
    m_pages = std::make_unique<VoicePages>(*this, m_ui->ComboBoxTempo, m_ui->EditTitle);
    // A page's own change notice first, before any other: what is kept of its
    // text (its Shift-JIS form, its byte offsets) is dropped before anyone reads it.
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(m_pages->Memo(voice), &QPlainTextEdit::textChanged, this, [this, voice] { PageTextChanged(voice); });
    }
    m_sequenceRows = new SequenceRowModel(this);
    // Four narrow number columns fit the designed width; the last one
    // stretches. Made at that width rather than resized to it: a resize of a
    // column has the list lay itself out anew (its header measured in a
    // bold font of its own) before the window is first painted, although
    // the list's page is not shown.
    m_ui->ListViewSeq->header()->setDefaultSectionSize(SequenceColumnWidth);
    m_ui->ListViewSeq->setModel(m_sequenceRows);
    SetUpLook();
    move(DesignedLeft, DesignedTop);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_pages->Memo(voice)->installEventFilter(this);
    }
    SetUpJournal();
    SetUpShortcuts();
    ConnectMenu();
    SetUpLiveAnalysis();
    ConnectChangeNotices();
    SetUpRoll();
    SetUpDesktopMenus();
    // The diagnostics list and the roll sit below the pages: the pages keep
    // room to type in at any window size, a stored small placement included.
    m_ui->PageControl1->setMinimumHeight(PagesMinimumHeight);
    setMinimumSize(minimumSize().expandedTo(minimumSizeHint()));
    resize(size().expandedTo(sizeHint()));
    FitToScreen();
    m_services.player.SetNotify([this] { MediaPlayer1Notify(); });
    // Both components belong to the window: the placement is saved when it
    // closes and when it is destroyed.
    m_winPlace = new TWinPlace(this, m_services.settings, QStringLiteral("WinPlace1"));
    m_fileDrop = new TFileDrop(this, m_services.messageBoxes);
    m_fileDrop->setObjectName(QStringLiteral("FileDrop1"));
    m_fileDrop->OnFileDrop = [this](int /*count*/, QPoint /*point*/, const QStringList& names) {
        FileDrop1FileDrop(names);
    };
    FillChoiceLists();
    ResetEditor();
    // The title carries its "[*]" from the first moment: every document,
    // a new one included, can show that it holds unsaved work.
    UpdateWindowTitle();
    // What a person types first goes into the first page, not the tempo box
    // that leads the tab order.
    m_pages->Memo(1)->setFocus(Qt::OtherFocusReason);
}

TFormMain::~TFormMain()
{
    // The player outlives the window: it must not call back into it.
    m_services.player.SetNotify({});
    // Before the pages go: their last signals must not reach the Edit menu.
    delete m_editMenu;
    // A window that ends without a crash leaves no journal behind.
    m_journal->Remove();
}

void TFormMain::SetUpLook()
{
    // Menus are windows of their own and do not inherit the form's font.
    for (QMenu* menu : findChildren<QMenu*>()) {
        menu->setFont(font());
    }
    // The pages hold score text only, full-width kana, signs and digits,
    // which no font joins or kerns: without shaping, the layout of a page
    // that is one line of 100,000 characters after a load or an analysis
    // (laid out again at every key typed into it) takes a fraction of the time.
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        // Fixed-width: a full-width digit is twice a half-width one, as the
        // notation tells them apart (「ド４」 and 「ド4」).
        QFont pageFont = FixedPitchFont();
        pageFont.setStyleStrategy(QFont::PreferNoShaping);
        m_pages->Memo(voice)->setFont(pageFont);
    }
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(this);
    m_ui->PageControl1->tabBar()->setStyle(tabStyle);
    // The two fields above the pages have no label of their own.
    m_ui->ComboBoxTempo->setToolTip(QStringLiteral("テンポ（1分間の四分音符の数）"));
    m_ui->ComboBoxTempo->lineEdit()->setPlaceholderText(QStringLiteral("テンポ"));
    m_ui->EditTitle->setToolTip(QStringLiteral("曲のタイトル"));
    m_ui->EditTitle->setPlaceholderText(QStringLiteral("タイトル"));
}

void TFormMain::ConnectMenu()
{
    const std::pair<QAction*, void (TFormMain::*)()> commands[] = {
        {m_ui->mnNew, &TFormMain::mnNewClick},
        {m_ui->mnOpen1, &TFormMain::mnOpen1Click},
        {m_ui->mnSave1, &TFormMain::mnSave1Click},
        {m_ui->mnSaveAs1, &TFormMain::mnSaveAs1Click},
        {m_ui->mnImport, &TFormMain::mnImportClick},
        {m_ui->mnGetMidi, &TFormMain::mnGetMidiClick},
        {m_ui->mnExport, &TFormMain::mnExportClick},
        {m_ui->mnPutMidi, &TFormMain::mnPutMidiClick},
        {m_ui->mnExportAudio, &TFormMain::mnExportAudioClick},
        {m_ui->mnExportRtttl, &TFormMain::mnExportRtttlClick},
        {m_ui->mnExportMml, &TFormMain::mnExportMmlClick},
        {m_ui->mnExportMusicXml, &TFormMain::mnExportMusicXmlClick},
        {m_ui->mnExit1, &TFormMain::mnExit1Click},
        {m_ui->mnMakeMld, &TFormMain::mnMakeMldClick},
        {m_ui->mnImportForEditing, &TFormMain::mnImportForEditingClick},
        {m_ui->mnInfo, &TFormMain::mnInfoClick},
        {m_ui->mnF0Data, &TFormMain::mnF0DataClick},
        {m_ui->mnGetMail, &TFormMain::mnGetMailClick},
        {m_ui->mnCreateMail, &TFormMain::mnCreateMailClick},
        {m_ui->mnMeloP, &TFormMain::mnMeloPClick},
        {m_ui->mnMeloM, &TFormMain::mnMeloMClick},
        {m_ui->mnPlay, &TFormMain::mnPlayClick},
        {m_ui->mnOption, &TFormMain::mnOptionClick},
        {m_ui->mnContents, &TFormMain::mnContentsClick},
        {m_ui->mnAbout1, &TFormMain::mnAbout1Click},
    };
    for (const auto& [action, handler] : commands) {
        connect(action, &QAction::triggered, this, handler);
    }
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(m_pages->PlayItem(voice), &QAction::triggered, this, [this, voice] { mnPlay1Click(voice); });
    }
}

void TFormMain::SetUpShortcuts()
{
    // The platform's own keys for the common commands; keys of their own,
    // used by no common command, for analysis, play and MIDI export.
    // A desktop without its own key theme defines no Save As or Quit key:
    // those get the keys the common desktops use.
    SetStandardShortcut(m_ui->mnNew, QKeySequence::New, QKeySequence(Qt::CTRL | Qt::Key_N));
    SetStandardShortcut(m_ui->mnOpen1, QKeySequence::Open, QKeySequence(Qt::CTRL | Qt::Key_O));
    SetStandardShortcut(m_ui->mnSave1, QKeySequence::Save, QKeySequence(Qt::CTRL | Qt::Key_S));
    SetStandardShortcut(m_ui->mnSaveAs1, QKeySequence::SaveAs, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    SetStandardShortcut(m_ui->mnExit1, QKeySequence::Quit, QKeySequence(Qt::CTRL | Qt::Key_Q));
    SetStandardShortcut(m_ui->mnContents, QKeySequence::HelpContents, QKeySequence(Qt::Key_F1));
    m_ui->mnMakeMld->setShortcut(QKeySequence(Qt::Key_F9));
    m_ui->mnPlay->setShortcut(QKeySequence(Qt::Key_F5));
    m_ui->mnPutMidi->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_M));
    // The play command sits on the menu bar, which shows no keys: its tip does.
    m_ui->mnPlay->setToolTip(QStringLiteral("再生／停止 (F5)"));
    for (QAction* action : {m_ui->mnNew, m_ui->mnOpen1, m_ui->mnSave1, m_ui->mnSaveAs1, m_ui->mnExit1, m_ui->mnContents,
                            m_ui->mnMakeMld, m_ui->mnPlay, m_ui->mnPutMidi}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
}

void TFormMain::DocumentChanged()
{
    UpdateWindowTitle();
    UpdateDesktopSigns();
    m_journal->Schedule();
}

void TFormMain::UpdateWindowTitle()
{
    // "kaeru.mld[*] - Quaverly", "無題[*] - Quaverly" for a document no file
    // holds yet: the mark shows while the document holds something no file holds.
    const QString fileName = DocumentFileName();
    setWindowFilePath(fileName);
    const QString name = fileName.isEmpty() ? QStringLiteral("無題") : QFileInfo(fileName).fileName();
    setWindowTitle(name + QStringLiteral("[*] - Quaverly"));
    setWindowModified(HoldsUnsavedWork());
}

bool TFormMain::HoldsUnsavedWork() const
{
    return m_document.HoldsUnsavedWork();
}

void TFormMain::ConnectChangeNotices()
{
    // Set whatever the previous state, also while a command fills the
    // controls: such a command sets its own final state afterwards.
    auto settingsEdited = [this] {
        m_document.SettingEdited();
        DocumentChanged();
    };
    auto scoreEdited = [this] {
        m_document.PageEdited();
        DocumentChanged();
    };
    connect(m_ui->ComboBoxTempo, &QComboBox::currentTextChanged, this, settingsEdited);
    connect(m_ui->ComboBoxTempo, &QComboBox::editTextChanged, this, settingsEdited);
    connect(m_ui->EditTitle, &QLineEdit::textChanged, this, settingsEdited);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(m_pages->Tone(voice), &QComboBox::currentTextChanged, this, settingsEdited);
        connect(m_pages->Tone(voice), &QComboBox::editTextChanged, this, settingsEdited);
        connect(m_pages->Volume(voice), &QLineEdit::textChanged, this, settingsEdited);
        connect(m_pages->Memo(voice), &QPlainTextEdit::textChanged, this, scoreEdited);
    }
}

void TFormMain::SetUpLiveAnalysis()
{
    auto* list = new QListWidget(this);
    list->setObjectName(QStringLiteral("ListDiagnostics"));
    list->setMaximumHeight(list->fontMetrics().height() * 5);
    m_ui->LayoutMain->insertWidget(m_ui->LayoutMain->indexOf(m_ui->PageControl1) + 1, list);
    auto* meter = new QLabel(this);
    meter->setObjectName(QStringLiteral("LabelMeter"));
    m_ui->StatusBar1->addPermanentWidget(meter);
    m_liveAnalysis = new LiveAnalysis(
        [this] {
            return LiveAnalysisInput{m_pages->CollectEditorTexts(), m_document.FileInfo(), m_extendedNotation,
                                     {m_store.fff0DataSet, m_store.fff0DataHex}};
        }, this);
    m_diagnosticsView = new DiagnosticsView(m_ui->PageControl1, {m_pages->Memo(1), m_pages->Memo(2), m_pages->Memo(3), m_pages->Memo(4)},
                                            list, meter, this);
    m_diagnosticsView->SetTempoAdjustment([this] { return Adjustment().percent; });
    connect(m_liveAnalysis, &LiveAnalysis::Analysed, m_diagnosticsView, &DiagnosticsView::Show);
    auto schedule = [this] { m_liveAnalysis->Schedule(); };
    connect(m_ui->ComboBoxTempo, &QComboBox::editTextChanged, this, schedule);
    // The title is a header text too: it counts in the size and has its limit.
    connect(m_ui->EditTitle, &QLineEdit::textChanged, this, schedule);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(m_pages->Tone(voice), &QComboBox::editTextChanged, this, schedule);
        connect(m_pages->Tone(voice), &QComboBox::currentTextChanged, this, schedule);
        connect(m_pages->Volume(voice), &QLineEdit::textChanged, this, schedule);
        connect(m_pages->Memo(voice), &QPlainTextEdit::textChanged, this, schedule);
    }
}

void TFormMain::SetTerminateHandler(std::function<void()> handler)
{
    m_terminateHandler = std::move(handler);
}

void TFormMain::TerminateApplication()
{
    m_terminateRequested = true;
    if (m_terminateHandler) {
        m_terminateHandler();
    }
}

QString TFormMain::HelpFileName() const
{
    return FindHelpFolder(m_programFolder) + QStringLiteral("/index.html");
}

QString TFormMain::CurrentFileName() const
{
    return QFile::decodeName(QByteArray::fromStdString(m_document.CurrentFileName()));
}

void TFormMain::SetMemoText(int voice, const std::string& sjis, MemoUndo undo)
{
    QPlainTextEdit* memo = m_pages->Memo(voice);
    const QString text = ToControlLineEnds(FromSjis(sjis));
    // Laying out a page's text is most of the time the analysis of a long
    // melody takes (its canonical text is one line of up to 100,000
    // characters): a page that already holds the text keeps it, with its
    // cursor and undo steps.
    if (memo->toPlainText() == text) {
        return;
    }
    if (undo == MemoUndo::KeepUndo) {
        QTextCursor cursor(memo->document());
        cursor.beginEditBlock();
        cursor.select(QTextCursor::Document);
        cursor.insertText(text);
        cursor.endEditBlock();
        return;
    }
    // Replacing a text lays the old one out once more before the new one; an
    // emptied page lays out only the new text.
    memo->clear();
    memo->setPlainText(text);
}

void TFormMain::FillEditorFields(EditorFields fields)
{
    m_ui->EditTitle->setText(FromSjis(fields.title));
    FillSequenceRows(std::move(fields.sequenceRows));
    m_ui->ComboBoxTempo->setEditText(FromSjis(fields.tempoText));
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_pages->Tone(voice)->setEditText(FromSjis(fields.toneTexts[voice - 1]));
        m_pages->Volume(voice)->setText(FromSjis(fields.volumeTexts[voice - 1]));
        SetMemoText(voice, fields.scoreTexts[voice - 1]);
    }
}

void TFormMain::FillSequenceRows(std::vector<SequenceRow> rows)
{
    m_sequenceRows->Append(std::move(rows));
}

void TFormMain::RunCommand(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        // QuaverlyError texts are Shift-JIS; others are plain ASCII.
        ShowError(error);
    }
    DocumentChanged();
}

void TFormMain::ShowError(const std::exception& error)
{
    m_services.messageBoxes.Error(FromSjis(error.what()));
}

void TFormMain::ShowNotSupported()
{
    m_services.messageBoxes.Warning(FromSjis(Msg::NotSupported));
}

}  // namespace quaverly
