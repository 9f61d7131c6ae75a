// Construction and wiring of the main window, the change notices that keep
// EditState, and the steps that move texts between the controls and the core.
#include "TFormMain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStatusBar>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QProxyStyle>
#include <QTabBar>
#include <QTreeView>

#include "DiagnosticsView.h"
#include "LiveAnalysis.h"
#include "SequenceRowModel.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "platform/FormLook.h"
#include "components/TFileDrop.h"
#include "components/TWinPlace.h"
#include "UnitMld/MldLayout.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

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

QString ToCoreLineEnds(QString text)
{
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// Tabs with the narrow padding of the designed form, so that the five page
// captions fit the designed width without scroll buttons.
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
      m_programFolder(QCoreApplication::applicationDirPath()),
      m_terminateHandler([] { QCoreApplication::exit(0); })
{
    m_ui->setupUi(this);
    m_sequenceRows = new SequenceRowModel(this);
    m_ui->ListViewSeq->setModel(m_sequenceRows);
    SetUpLook();
    move(DesignedLeft, DesignedTop);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        VoiceMemo(voice)->installEventFilter(this);
    }
    ConnectMenu();
    SetUpLiveAnalysis();
    ConnectChangeNotices();
    m_services.player.SetNotify([this] { MediaPlayer1Notify(); });
    // Both components belong to the window: the placement is saved when it
    // closes and when it is destroyed.
    m_winPlace = new TWinPlace(this, m_services.settings, QStringLiteral("WinPlace1"));
    m_fileDrop = new TFileDrop(this, m_services.messageBoxes);
    m_fileDrop->setObjectName(QStringLiteral("FileDrop1"));
    m_fileDrop->OnFileDrop = [this](int /*count*/, QPoint /*point*/, const QStringList& names) {
        FileDrop1FileDrop(names);
    };
    ResetEditor();
}

TFormMain::~TFormMain()
{
    // The player outlives the window: it must not call back into it.
    m_services.player.SetNotify({});
}

void TFormMain::SetUpLook()
{
    ApplyWindowFont(this);
    // Menus are windows of their own and do not inherit the form's font.
    for (QMenu* menu : findChildren<QMenu*>()) {
        menu->setFont(font());
    }
    auto* tabStyle = new CompactTabStyle;
    tabStyle->setParent(this);
    m_ui->PageControl1->tabBar()->setStyle(tabStyle);
    // Four narrow number columns fit the designed width; the last one stretches.
    QHeaderView* header = m_ui->ListViewSeq->header();
    for (int column = 0; column < header->count(); ++column) {
        header->resizeSection(column, SequenceColumnWidth);
    }
}

void TFormMain::ConnectMenu()
{
    const std::pair<QAction*, void (TFormMain::*)()> commands[] = {
        {m_ui->mnNew, &TFormMain::mnNewClick},
        {m_ui->mnOpen1, &TFormMain::mnOpen1Click},
        {m_ui->mnSave1, &TFormMain::mnSave1Click},
        {m_ui->mnSaveAs1, &TFormMain::mnSaveAs1Click},
        {m_ui->mnImport, &TFormMain::mnImportClick},
        {m_ui->mnExport, &TFormMain::mnExportClick},
        {m_ui->mnPutMidi, &TFormMain::mnPutMidiClick},
        {m_ui->mnExit1, &TFormMain::mnExit1Click},
        {m_ui->mnMakeMld, &TFormMain::mnMakeMldClick},
        {m_ui->mnInfo, &TFormMain::mnInfoClick},
        {m_ui->mnF0Data, &TFormMain::mnF0DataClick},
        {m_ui->mnGetMail, &TFormMain::mnGetMailClick},
        {m_ui->mnCreateMail, &TFormMain::mnCreateMailClick},
        {m_ui->mnMeloP, &TFormMain::mnMeloPClick},
        {m_ui->mnMeloM, &TFormMain::mnMeloMClick},
        {m_ui->mnPlay, &TFormMain::mnPlayClick},
        {m_ui->mnRepeatPlay, &TFormMain::mnRepeatPlayClick},
        {m_ui->mnOption, &TFormMain::mnOptionClick},
        {m_ui->mnContents, &TFormMain::mnContentsClick},
        {m_ui->mnAbout1, &TFormMain::mnAbout1Click},
    };
    for (const auto& [action, handler] : commands) {
        connect(action, &QAction::triggered, this, handler);
    }
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        QAction* item = VoicePlayItem(voice);
        connect(item, &QAction::triggered, this, [this, item] { mnPlay1Click(item); });
    }
}

void TFormMain::ConnectChangeNotices()
{
    // Set whatever the previous state, also while a command fills the
    // controls: such a command sets its own final state afterwards.
    auto settingsEdited = [this] { m_editState = EditState::SettingsEdited; };
    auto scoreEdited = [this] { m_editState = EditState::ScoreEdited; };
    connect(m_ui->ComboBoxTempo, &QComboBox::currentTextChanged, this, settingsEdited);
    connect(m_ui->ComboBoxTempo, &QComboBox::editTextChanged, this, settingsEdited);
    connect(m_ui->EditTitle, &QLineEdit::textChanged, this, settingsEdited);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(VoiceTone(voice), &QComboBox::currentTextChanged, this, settingsEdited);
        connect(VoiceTone(voice), &QComboBox::editTextChanged, this, settingsEdited);
        connect(VoiceVolume(voice), &QLineEdit::textChanged, this, settingsEdited);
        connect(VoiceMemo(voice), &QPlainTextEdit::textChanged, this, scoreEdited);
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
        [this] { return LiveAnalysisInput{CollectEditorTexts(), m_melodyFileInfo, m_extendedNotation}; }, this);
    m_diagnosticsView = new DiagnosticsView(m_ui->PageControl1, {VoiceMemo(1), VoiceMemo(2), VoiceMemo(3), VoiceMemo(4)},
                                            list, meter, this);
    connect(m_liveAnalysis, &LiveAnalysis::Analysed, m_diagnosticsView, &DiagnosticsView::Show);
    auto schedule = [this] { m_liveAnalysis->Schedule(); };
    connect(m_ui->ComboBoxTempo, &QComboBox::editTextChanged, this, schedule);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        connect(VoiceTone(voice), &QComboBox::editTextChanged, this, schedule);
        connect(VoiceTone(voice), &QComboBox::currentTextChanged, this, schedule);
        connect(VoiceVolume(voice), &QLineEdit::textChanged, this, schedule);
        connect(VoiceMemo(voice), &QPlainTextEdit::textChanged, this, schedule);
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
    return m_programFolder + QStringLiteral("/help/index.html");
}

QPlainTextEdit* TFormMain::VoiceMemo(int voice) const
{
    return findChild<QPlainTextEdit*>(QStringLiteral("Memo%1").arg(voice));
}

QComboBox* TFormMain::VoiceTone(int voice) const
{
    return findChild<QComboBox*>(QStringLiteral("ComboBoxTone%1").arg(voice));
}

QLineEdit* TFormMain::VoiceVolume(int voice) const
{
    return findChild<QLineEdit*>(QStringLiteral("EditVol%1").arg(voice));
}

QWidget* TFormMain::VoicePage(int voice) const
{
    return findChild<QWidget*>(QStringLiteral("TabSheet%1").arg(voice));
}

QAction* TFormMain::VoicePlayItem(int voice) const
{
    return findChild<QAction*>(QStringLiteral("mnPlay%1").arg(voice));
}

EditorTexts TFormMain::CollectEditorTexts() const
{
    EditorTexts texts;
    texts.tempo = ToSjis(m_ui->ComboBoxTempo->currentText());
    texts.title = ToSjis(m_ui->EditTitle->text());
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        texts.tones[voice - 1] = ToSjis(VoiceTone(voice)->currentText());
        texts.volumes[voice - 1] = ToSjis(VoiceVolume(voice)->text());
        texts.scores[voice - 1] = ToSjis(ToCoreLineEnds(VoiceMemo(voice)->toPlainText()));
    }
    return texts;
}

void TFormMain::SetMemoText(int voice, const std::string& sjis, MemoUndo undo)
{
    QPlainTextEdit* memo = VoiceMemo(voice);
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
        VoiceTone(voice)->setEditText(FromSjis(fields.toneTexts[voice - 1]));
        VoiceVolume(voice)->setText(FromSjis(fields.volumeTexts[voice - 1]));
        SetMemoText(voice, fields.scoreTexts[voice - 1]);
    }
}

void TFormMain::FillSequenceRows(std::vector<SequenceRow> rows)
{
    m_sequenceRows->Append(std::move(rows));
}

void TFormMain::LoadMelodyIntoControls()
{
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(m_store, m_melodyFileInfo);
    if (!fields) {
        m_services.messageBoxes.Warning(FromSjis(Msg::DataFormatAbnormal));
        return;
    }
    FillEditorFields(std::move(*fields));
}

void TFormMain::RunCommand(const std::function<void()>& body)
{
    try {
        body();
    } catch (const std::exception& error) {
        // QuaverlyError texts are Shift-JIS; others are plain ASCII.
        ShowError(error);
    }
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
