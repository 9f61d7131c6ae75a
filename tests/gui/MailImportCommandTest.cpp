// The mail import command on a whole pasted mail: the block is found among
// headers, quoting marks and a signature; a text with characters that are
// not Base64 is decoded as before, but the person is asked first, with the
// place of the first such character, and No (the default) keeps the document.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "UnitMld/MailText.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

const QString Headers = QStringLiteral("From: a@example.jp\r\nSubject: melody\r\n\r\nこれです。\r\n\r\n");

// The mail text with each line quoted and a signature after it.
std::string PastedMail(const std::string& mail)
{
    std::string pasted = Sjis(Headers);
    size_t start = 0;
    while (start < mail.size()) {
        const size_t end = mail.find("\r\n", start);
        pasted += "> " + mail.substr(start, end - start) + "\r\n";
        start = end == std::string::npos ? mail.size() : end + 2;
    }
    return pasted + "\r\n-- \r\n" + Sjis(QStringLiteral("山田")) + "\r\n";
}

}  // namespace

class MailImportCommandTest : public QObject {
    Q_OBJECT

private slots:
    void WholeMailIsImported()
    {
        WindowFixture fixture;
        const std::string image = CompiledMelody(QStringLiteral("ドレミ"), QStringLiteral("メール"));
        fixture.clipboard.text = PastedMail(MakeMailText(image));
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.window.mnGetMailClick();
        QCOMPARE(fixture.boxes.records.size(), 0);
        QVERIFY(fixture.store.MelodyImage() == image);
        QCOMPARE(fixture.window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("メール"));
    }

    void DamagedMailAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("No keeps the document") << false;
        QTest::newRow("Yes takes the melody as decoded") << true;
    }
    void DamagedMailAsksFirst()
    {
        QFETCH(bool, answer);
        WindowFixture fixture;
        const std::string image = CompiledMelody(QStringLiteral("ドレミファソラシド▲"), QStringLiteral("メール"));
        std::string mail = MakeMailText(image);
        // A character of the track's last notes, so that the image stays a melody.
        const size_t index = (image.size() - 6) * 4 / 3;
        mail[7 + index / 76 * 78 + index % 76] = '!';
        const int line = 5 + 2 + static_cast<int>(index / 76);  // five lines of headers, the marker
        const int column = 2 + 1 + static_cast<int>(index % 76);  // after the quoting mark
        fixture.clipboard.text = PastedMail(mail);
        fixture.boxes.answers = {answer};
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ソ"));
        WindowAccess::SetEditState(fixture.window, EditState::Saved);
        fixture.window.mnGetMailClick();

        QCOMPARE(fixture.boxes.records.size(), 1);
        QCOMPARE(fixture.boxes.records[0].kind, Kind::Question);
        QCOMPARE(fixture.boxes.records[0].safe, SafeAnswer::No);
        QCOMPARE(fixture.boxes.records[0].text,
                 QStringLiteral("メールのテキストの %1 行 %2 列に Base64 の文字でない「!」があります（Base64 でない文字は全部で 1 個）。"
                                "読み込む音譜は壊れているかもしれません。このまま読み込みますか？")
                     .arg(line)
                     .arg(column));
        if (answer) {
            QVERIFY(fixture.store.MelodyImage() == ReadMailText(mail));
        } else {
            QCOMPARE(fixture.window.Pages().Memo(1)->toPlainText(), QStringLiteral("ソ"));
            QCOMPARE(fixture.window.Document().State(), EditState::Saved);
        }
    }
};

QTEST_MAIN(MailImportCommandTest)
#include "MailImportCommandTest.moc"
