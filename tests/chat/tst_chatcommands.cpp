#include "chat/ChatCommands.h"

#include <QTest>

using namespace verdane;

class TestChatCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAreCommentsThenEveryCodeLine_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("the nick example")
            << "alice"
            << "my timer"
            << "Sub A()\r\nEnd Sub" << QStringList{"/msg alice my timer", "/msg alice Sub A()", "/msg alice End Sub"};
        QTest::newRow("the channel example")
            << "#vb"
            << "my timer"
            << "Sub A()\r\nEnd Sub" << QStringList{"/msg #vb my timer", "/msg #vb Sub A()", "/msg #vb End Sub"};
        QTest::newRow("empty comments") << "bob"
                                        << ""
                                        << "x" << QStringList{"/msg bob ", "/msg bob x"};
        QTest::newRow("empty code sends the comments alone") << "bob"
                                                             << "hi"
                                                             << "" << QStringList{"/msg bob hi"};
        QTest::newRow("one-letter lines") << "bob"
                                          << ""
                                          << "a\r\nb" << QStringList{"/msg bob ", "/msg bob a", "/msg bob b"};
        QTest::newRow("starts with a line break") << "bob"
                                                  << "c"
                                                  << "\r\nx" << QStringList{"/msg bob c", "/msg bob ", "/msg bob x"};
        QTest::newRow("ends with a line break") << "bob"
                                                << "c"
                                                << "x\r\n"
                                                << QStringList{"/msg bob c", "/msg bob x", "/msg bob "};
        QTest::newRow("two breaks in a row")
            << "bob"
            << "c"
            << "x\r\n\r\ny" << QStringList{"/msg bob c", "/msg bob x", "/msg bob ", "/msg bob y"};
        QTest::newRow("lone CR and LF stay in their line")
            << "bob"
            << "c"
            << "a\rb\nc\r\nd" << QStringList{"/msg bob c", "/msg bob a\rb\nc", "/msg bob d"};
        QTest::newRow("nothing trimmed") << " b "
                                         << " c "
                                         << "  x  " << QStringList{"/msg  b   c ", "/msg  b    x  "};
        QTest::newRow("only a line break") << "bob"
                                           << "c"
                                           << "\r\n"
                                           << QStringList{"/msg bob c", "/msg bob ", "/msg bob "};
    }

    void linesAreCommentsThenEveryCodeLine() {
        QFETCH(QString, target);
        QFETCH(QString, comments);
        QFETCH(QString, code);
        QFETCH(QStringList, lines);
        QCOMPARE(chatCommandLines(target, comments, code), lines);
    }
};

QTEST_GUILESS_MAIN(TestChatCommands)
#include "tst_chatcommands.moc"
