#include "ui/main/VbSyntax.h"

#include <QTest>

using namespace verdane::vb;

Q_DECLARE_METATYPE(verdane::vb::Kind)

namespace {

// Spans written as the text they cover and a letter for their kind: K keyword, C comment, S string, N number,
// D directive, H header, _ continuation.
QStringList describe(QStringView line, const QList<Span>& spans) {
    QStringList out;
    for (const Span& s : spans) {
        const char* kinds = "KCSNDH_";
        out << QString(QLatin1Char(kinds[int(s.kind)])) + QLatin1Char(':') + line.mid(s.start, s.length).toString();
    }
    return out;
}

} // namespace

class TestVbSyntax : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAreReadAsVbReadsThem_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("spans");
        QTest::newRow("declaration") << "Private Declare Function GetTickCount Lib \"kernel32\" () As Long"
                                     << QStringList{"K:Private",      "K:Declare", "K:Function", "K:Lib",
                                                    "S:\"kernel32\"", "K:As",      "K:Long"};
        QTest::newRow("any letter case") << "IF x THEN eNd iF" << QStringList{"K:IF", "K:THEN", "K:eNd", "K:iF"};
        QTest::newRow("operators") << "a = b And c Mod 2 Or d Is Nothing"
                                   << QStringList{"K:And", "K:Mod", "N:2", "K:Or", "K:Is", "K:Nothing"};
        QTest::newRow("comment after code") << "x = 1 ' set x" << QStringList{"N:1", "C:' set x"};
        QTest::newRow("apostrophe inside a string") << "s = \"it's\" ' note" << QStringList{"S:\"it's\"", "C:' note"};
        QTest::newRow("doubled quotes") << "s = \"say \"\"hi\"\"\" & t" << QStringList{"S:\"say \"\"hi\"\"\""};
        QTest::newRow("string that never closes") << "s = \"open ' and more" << QStringList{"S:\"open ' and more"};
        QTest::newRow("Rem statement") << "Rem a remark" << QStringList{"C:Rem a remark"};
        QTest::newRow("REM in capitals") << "  REM SHOUTING" << QStringList{"C:REM SHOUTING"};
        QTest::newRow("Rem after a colon") << "x = 1: Rem done" << QStringList{"N:1", "C:Rem done"};
        QTest::newRow("Remove is a name") << "Remove item: Reminder = 2" << QStringList{"N:2"};
        QTest::newRow("Rem as an argument is no comment") << "Call Log(Rem)" << QStringList{"K:Call"};
        QTest::newRow("hex and suffixes")
            << "n = &HFF& + &h1f + 10% + 2.5! + 3# + 1.5E-3 + &O17 + 7@"
            << QStringList{"N:&HFF&", "N:&h1f", "N:10%", "N:2.5!", "N:3#", "N:1.5E-3", "N:&O17", "N:7@"};
        QTest::newRow("numbers inside names are names") << "Form1.Caption = Label2" << QStringList{};
        QTest::newRow("date literal") << "d = #1/2/2003#" << QStringList{"N:#1/2/2003#"};
        QTest::newRow("type suffix makes a name") << "s = Left$(t, 2) + Str$(n)" << QStringList{"N:2"};
        QTest::newRow("directive") << "#If Win32 Then" << QStringList{"D:#If", "K:Then"};
        QTest::newRow("directive end") << "  #End If" << QStringList{"D:#End", "K:If"};
        QTest::newRow("continuation") << "Private Declare Sub Sleep Lib \"kernel32\" _"
                                      << QStringList{"K:Private", "K:Declare",      "K:Sub",
                                                     "K:Lib",     "S:\"kernel32\"", "_:_"};
        QTest::newRow("underscore in a name") << "my_var = x_" << QStringList{};
        QTest::newRow("attribute") << "Attribute VB_Name = \"Module1\""
                                   << QStringList{"H:Attribute VB_Name = \"Module1\""};
        QTest::newRow("class version") << "VERSION 1.0 CLASS" << QStringList{"H:VERSION 1.0 CLASS"};
        QTest::newRow("empty") << "" << QStringList{};
    }

    void linesAreReadAsVbReadsThem() {
        QFETCH(QString, line);
        QFETCH(QStringList, spans);
        QCOMPARE(describe(line, readLine(line).spans), spans);
    }

    void spansNeverOverlapAndStayInTheLine() {
        const QStringList lines{
            "a \"b' c\" 'd \"e\"",         "x = &H", "n = 1.2.3", "#", "&", ".", "_", " _ ", "s = \"\"",
            "If a Then b Else c ' Rem x _"};
        for (const QString& line : lines) {
            int end = 0;
            for (const Span& s : readLine(line).spans) {
                QVERIFY2(s.start >= end && s.length > 0 && s.start + s.length <= line.size(), qPrintable(line));
                end = s.start + s.length;
            }
        }
    }

    void aContinuedCommentGoesOnToTheNextLine() {
        const LineResult first = readLine(u"x = 1 ' a comment that goes on _");
        QVERIFY(first.next.commentContinues);
        const LineResult second = readLine(u"and on _", first.next);
        QCOMPARE(describe(u"and on _", second.spans), QStringList{"C:and on _"});
        QVERIFY(second.next.commentContinues);
        const LineResult third = readLine(u"If done Then", second.next);
        QCOMPARE(describe(u"If done Then", third.spans), QStringList{"C:If done Then"});
        QVERIFY(!third.next.commentContinues);
        // A continuation outside a comment continues code, not a comment.
        QVERIFY(!readLine(u"x = 1 + _").next.commentContinues);
    }

    void classAndFormHeadersAreHeaderLines() {
        const QStringList file{"VERSION 5.00",
                               "Begin VB.Form Form1",
                               "   Caption = \"Form1\"",
                               "   Begin VB.CommandButton Command1",
                               "      Caption = \"OK\"",
                               "   End",
                               "End",
                               "Attribute VB_Name = \"Form1\"",
                               "Private Sub Form_Load()",
                               "End Sub",
                               "End"};
        LineState state;
        QStringList kinds;
        for (const QString& line : file) {
            const LineResult r = readLine(line, state);
            kinds << (r.spans.size() == 1 && r.spans[0].kind == Kind::Header ? QStringLiteral("H")
                                                                             : QStringLiteral("code"));
            QCOMPARE(nextState(line, state), r.next);
            state = r.next;
        }
        QCOMPARE(kinds, QStringList({"H", "H", "H", "H", "H", "H", "H", "H", "code", "code", "code"}));
        QCOMPARE(state, LineState{});
        // The End statement of the code is a keyword.
        QCOMPARE(describe(u"End", readLine(u"End").spans), QStringList{"K:End"});
    }

    void theQuickStateAgreesWithTheFullReading() {
        const QStringList lines{"x = 1 ' c _", "  BEGIN", "MultiUse = -1  'True", "End",  "b = \"_\" _", "Begin",
                                "' _",         "Rem _",   "s = \"' _\"",          "plain"};
        LineState state;
        for (int round = 0; round < 3; ++round) {
            for (const QString& line : lines) {
                QCOMPARE(nextState(line, state), readLine(line, state).next);
                state = readLine(line, state).next;
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestVbSyntax)
#include "tst_vbsyntax.moc"
