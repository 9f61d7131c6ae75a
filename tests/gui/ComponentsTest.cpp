// The window-placement and file-drop components: the value name, the first
// run, a placement surviving a restart (maximised too), a bad stored value,
// and drops of files on the window and on its controls.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>
#include <stdexcept>

#include "DialogTestSupport.h"
#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "base/Errors.h"
#include "components/TFileDrop.h"
#include "components/TWinPlace.h"
#include "platform/QSettingsStore.h"

using namespace quaverly;

namespace {

const QRect DesignedGeometry(192, 107, 358, 342);

// A form as the main window is made: its object name from its class.
std::unique_ptr<QWidget> MakeForm()
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName("TFormMain");
    form->setGeometry(DesignedGeometry);
    return form;
}

struct DropCall {
    int count = 0;
    QPoint point;
    QStringList names;
};

QMimeData* FileDrag(const QStringList& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data->setUrls(urls);
    return data;
}

// Drags the data over the widget and drops it at the point; true when the
// drop was accepted.
bool Drop(QWidget* widget, QPoint point, QMimeData* data)
{
    QDragEnterEvent enter(point, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    QDropEvent drop(QPointF(point), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    return enter.isAccepted() && drop.isAccepted();
}

}  // namespace

class ComponentsTest : public QObject {
    Q_OBJECT

private slots:
    void valueNameIsOwnerComponentNameAndOwnName()
    {
        MemorySettingsStore store;
        auto form = MakeForm();
        TWinPlace place(form.get(), store);
        QCOMPARE(place.ValueName(), "FormMainWinPlace1");
        form->setObjectName("FormMain");
        QCOMPARE(place.ValueName(), "FormMainWinPlace1");
        form->setObjectName("Tools");
        QCOMPARE(place.ValueName(), "ToolsWinPlace1");
    }

    void firstRunKeepsDesignedPlacementAndDoesNotShow()
    {
        MemorySettingsStore store;
        auto form = MakeForm();
        TWinPlace place(form.get(), store);
        place.RestorePlacement();
        QCOMPARE(form->geometry(), DesignedGeometry);
        QVERIFY(!form->isVisible());
    }

    void placementSurvivesRestart()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath("Quaverly.conf");
        const QRect moved(100, 120, 400, 300);
        {
            QSettingsStore store(ini);
            auto form = MakeForm();
            TWinPlace place(form.get(), store);
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            form->setGeometry(moved);
            form->close();
        }
        QVERIFY(QSettings(ini, QSettings::IniFormat).contains("FormMainWinPlace1"));

        QSettingsStore store(ini);
        auto form = MakeForm();
        TWinPlace place(form.get(), store);
        place.RestorePlacement();
        QVERIFY(!form->isVisible());  // shown by the start-up, not by the restore
        QCOMPARE(form->geometry(), moved);
    }

    // Placement errors are not reported: a store that cannot save neither
    // stops the close nor escapes the destructor.
    void placementSaveFailureIsSilent()
    {
        MemorySettingsStore store;
        store.failSaves = true;
        auto form = MakeForm();
        {
            TWinPlace place(form.get(), store);
            form->close();
        }
        QVERIFY(store.values.isEmpty());
    }

    void maximisedStateSurvivesRestart()
    {
        MemorySettingsStore store;
        {
            auto form = MakeForm();
            TWinPlace place(form.get(), store);
            form->showMaximized();
            QVERIFY(QTest::qWaitForWindowExposed(form.get()));
            form->close();
        }
        auto form = MakeForm();
        TWinPlace place(form.get(), store);
        place.RestorePlacement();
        QVERIFY(form->windowState().testFlag(Qt::WindowMaximized));
        QVERIFY(!form->isVisible());
    }

    void destroyingOwnerSavesPlacement()
    {
        MemorySettingsStore store;
        auto form = MakeForm();
        new TWinPlace(form.get(), store);  // owned by the form
        form->setGeometry(50, 60, 370, 280);
        form.reset();
        QVERIFY(store.Contains("FormMainWinPlace1"));

        auto restarted = MakeForm();
        TWinPlace place(restarted.get(), store);
        place.RestorePlacement();
        QCOMPARE(restarted->geometry(), QRect(50, 60, 370, 280));
    }

    void damagedPlacementDoesNotShrinkWindow_data()
    {
        QTest::addColumn<QVariant>("stored");
        MemorySettingsStore store;
        {
            auto form = MakeForm();
            TWinPlace place(form.get(), store);
            place.SavePlacement();
        }
        const QByteArray whole = store.Value("FormMainWinPlace1").toByteArray();
        QTest::newRow("cut after the version") << QVariant(whole.left(8));
        QTest::newRow("cut inside the screen width") << QVariant(whole.left(whole.size() - 18));
        QTest::newRow("magic number only") << QVariant(QByteArray("\x01\xd9\xd0\xcb\x00", 5));
        QTest::newRow("garbage") << QVariant(QByteArray(66, '\x7f'));
        QTest::newRow("text") << QVariant(QString("192,107"));
        QTest::newRow("empty") << QVariant(QByteArray());
    }

    void damagedPlacementDoesNotShrinkWindow()
    {
        QFETCH(QVariant, stored);
        MemorySettingsStore store;
        store.SetValue("FormMainWinPlace1", stored);
        auto form = MakeForm();
        TWinPlace place(form.get(), store);
        place.RestorePlacement();
        QCOMPARE(form->geometry(), DesignedGeometry);
    }

    void dropOfSeveralFilesCallsHandlerOnceWithAllNames()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        TFileDrop drop(form.get(), boxes);
        QVERIFY(form->acceptDrops());
        QList<DropCall> calls;
        drop.OnFileDrop = [&](int count, QPoint point, const QStringList& names) {
            calls.append({count, point, names});
        };
        const QStringList paths{"/tmp/b.mld", "/tmp/a.c99", u"/tmp/ふるさと.mld"_qs};
        QScopedPointer<QMimeData> data(FileDrag(paths));
        QVERIFY(Drop(form.get(), QPoint(30, 40), data.get()));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].count, 3);
        QCOMPARE(calls[0].names, paths);
        QCOMPARE(calls[0].point, QPoint(30, 40));
    }

    void dropOnControlReachesFormInFormCoordinates()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        auto* memo = new QPlainTextEdit(form.get());
        memo->setGeometry(8, 40, 200, 100);
        TFileDrop drop(form.get(), boxes);
        QList<DropCall> calls;
        drop.OnFileDrop = [&](int count, QPoint point, const QStringList& names) {
            calls.append({count, point, names});
        };
        QScopedPointer<QMimeData> data(FileDrag({"/tmp/x.mld"}));
        QVERIFY(Drop(memo->viewport(), QPoint(5, 6), data.get()));
        QCOMPARE(calls.size(), 1);
        QCOMPARE(calls[0].point, memo->viewport()->mapTo(form.get(), QPoint(5, 6)));
        QCOMPARE(memo->toPlainText(), QString());  // not inserted as text
    }

    // Regression: names over 254 characters were cut and named another file.
    void longNamesReachTheHandlerWhole()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        TFileDrop drop(form.get(), boxes);
        QStringList received;
        drop.OnFileDrop = [&](int, QPoint, const QStringList& names) { received = names; };
        // A path near the system's limit, deep folders of Japanese names.
        QString longName = "/tmp";
        while (longName.size() < 1200) {
            longName += u"/ふるさとの歌"_qs + QString(40, 'n');
        }
        longName += ".mld";
        QScopedPointer<QMimeData> data(FileDrag({longName, "/tmp/short.mld"}));
        QVERIFY(Drop(form.get(), QPoint(1, 1), data.get()));
        QCOMPARE(received.size(), 2);
        QCOMPARE(received[0], longName);
        QCOMPARE(received[1], "/tmp/short.mld");
    }

    void handlerErrorIsShownAndDropFinished()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        TFileDrop drop(form.get(), boxes);
        drop.OnFileDrop = [](int, QPoint, const QStringList&) {
            throw QuaverlyError(test::Sjis(u"ファイルを開けません：x.mld"_qs));
        };
        QScopedPointer<QMimeData> data(FileDrag({"/tmp/x.mld"}));
        QVERIFY(Drop(form.get(), QPoint(1, 1), data.get()));
        QCOMPARE(boxes.Texts(ScriptedMessageBoxes::Kind::Error), QStringList{u"ファイルを開けません：x.mld"_qs});
    }

    void refusedOrNonFileDragsCallNothing()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        TFileDrop drop(form.get(), boxes);
        int calls = 0;
        drop.OnFileDrop = [&](int, QPoint, const QStringList&) { ++calls; };

        QScopedPointer<QMimeData> text(new QMimeData);
        text->setText("ド");
        QVERIFY(!Drop(form.get(), QPoint(1, 1), text.get()));
        QScopedPointer<QMimeData> web(new QMimeData);
        web->setUrls({QUrl("https://example.org/a.mld")});
        QVERIFY(!Drop(form.get(), QPoint(1, 1), web.get()));

        drop.SetAccept(false);
        QVERIFY(!form->acceptDrops());
        QScopedPointer<QMimeData> files(FileDrag({"/tmp/x.mld"}));
        QVERIFY(!Drop(form.get(), QPoint(1, 1), files.get()));
        QCOMPARE(calls, 0);

        drop.SetAccept(true);
        QVERIFY(Drop(form.get(), QPoint(1, 1), files.get()));
        QCOMPARE(calls, 1);
    }

    void fileDropGoesWithItsForm()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        new TFileDrop(form.get(), boxes);  // owned by the form
        form.reset();
        // The application no longer passes drags through the deleted component.
        auto other = MakeForm();
        other->setAcceptDrops(true);
        QScopedPointer<QMimeData> files(FileDrag({"/tmp/x.mld"}));
        QVERIFY(!Drop(other.get(), QPoint(1, 1), files.get()));
    }

    void destroyedControlClearsControlAndAccept()
    {
        ScriptedMessageBoxes boxes;
        auto form = MakeForm();
        auto* panel = new QWidget(form.get());
        TFileDrop drop(form.get(), boxes);
        drop.SetControl(panel);
        QVERIFY(panel->acceptDrops());
        QVERIFY(!form->acceptDrops());
        delete panel;
        QCOMPARE(drop.Control(), nullptr);
        QVERIFY(!drop.Accept());
    }
};

QTEST_MAIN(ComponentsTest)
#include "ComponentsTest.moc"
