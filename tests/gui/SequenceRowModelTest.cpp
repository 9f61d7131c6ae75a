// The sequence page: the row model behind ListViewSeq (its columns, cells,
// read-only rows, appending and clearing) and what the analysis leaves in the
// view and in the voice pages.
#include <QAbstractItemView>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include "UnitMain/SequenceRowModel.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;

namespace {

const std::vector<SequenceRow> TwoRows{{"0", "0", "27", "48"}, {"48", "1", "", "/ff0102/"}};

QStringList RowTexts(const QAbstractItemModel& model, int row)
{
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column) {
        texts.append(model.data(model.index(row, column)).toString());
    }
    return texts;
}

}  // namespace

class SequenceRowModelTest : public QObject {
    Q_OBJECT

private slots:
    void ColumnsCellsAndReadOnlyRows()
    {
        SequenceRowModel model;
        model.Append(TwoRows);
        QCOMPARE(model.columnCount(), 4);
        QCOMPARE(model.rowCount(), 2);
        QStringList titles;
        for (int column = 0; column < 4; ++column) {
            titles.append(model.headerData(column, Qt::Horizontal).toString());
        }
        QCOMPARE(titles, (QStringList{"時刻", "チャンネル", "音程", "ゲート"}));
        QCOMPARE(RowTexts(model, 0), (QStringList{"0", "0", "27", "48"}));
        QCOMPARE(RowTexts(model, 1), (QStringList{"48", "1", "", "/ff0102/"}));
        QVERIFY(!(model.flags(model.index(0, 0)) & Qt::ItemIsEditable));
        // Outside the table there is nothing, and rows have no children.
        QVERIFY(!model.data(model.index(2, 0)).isValid());
        QVERIFY(!model.headerData(4, Qt::Horizontal).isValid());
        QCOMPARE(model.rowCount(model.index(0, 0)), 0);
    }

    void AppendKeepsEarlierRowsAndClearEmpties()
    {
        SequenceRowModel model;
        model.Append(TwoRows);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        model.Append({{"96", "2", "30", "12"}});
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(1).toInt(), 2);
        QCOMPARE(inserted.first().at(2).toInt(), 2);
        QCOMPARE(RowTexts(model, 0).first(), "0");
        QCOMPARE(RowTexts(model, 2), (QStringList{"96", "2", "30", "12"}));
        model.Clear();
        QCOMPARE(model.rowCount(), 0);
    }

    void AnalysisShowsRowsInTheSequenceView()
    {
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレ"));
        fixture.window.mnMakeMldClick();
        auto* view = fixture.window.findChild<QTreeView*>("ListViewSeq");
        QVERIFY(view != nullptr);
        const QAbstractItemModel& model = *view->model();
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("時刻"));
        // The last row ends the melody: note -1 after the two quarter notes.
        QCOMPARE(RowTexts(model, model.rowCount() - 1).mid(0, 3), (QStringList{"96", "0", "-1"}));
    }

    // The four number columns keep their narrow width (64 pixels), the last
    // stretching, from the start and after the model is reset by an analysis.
    void NumberColumnsStayNarrow()
    {
        WindowFixture fixture;
        auto* view = fixture.window.findChild<QTreeView*>("ListViewSeq");
        QVERIFY(view != nullptr);
        const auto narrowColumns = [view] {
            for (int column = 0; column + 1 < view->header()->count(); ++column) {
                QCOMPARE(view->header()->sectionSize(column), 64);
            }
        };
        QCOMPARE(view->header()->count(), 4);
        narrowColumns();
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレ"));
        fixture.window.mnMakeMldClick();
        QVERIFY(view->model()->rowCount() > 0);
        narrowColumns();
    }

    // A page already in canonical form is not written again: its cursor
    // stays. The others are rewritten, and typing afterwards is a change.
    void AnalysisRewritesOnlyPagesThatChange()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ド４レ４"));
        QTextCursor cursor = window.Pages().Memo(1)->textCursor();
        cursor.setPosition(3);
        window.Pages().Memo(1)->setTextCursor(cursor);
        window.Pages().Memo(2)->setPlainText(QStringLiteral("ミ\nファ"));
        window.mnMakeMldClick();

        QCOMPARE(window.Pages().Memo(1)->toPlainText(), QStringLiteral("ド４レ４"));
        QCOMPARE(window.Pages().Memo(1)->textCursor().position(), 3);
        QCOMPARE(window.Pages().Memo(2)->toPlainText(), QStringLiteral("ミ４ファ４"));
        QCOMPARE(window.Document().State(), EditState::Current);
        window.Pages().Memo(1)->insertPlainText(QStringLiteral("ミ"));
        QCOMPARE(window.Document().State(), EditState::ScoreEdited);
    }
};

QTEST_MAIN(SequenceRowModelTest)
#include "SequenceRowModelTest.moc"
