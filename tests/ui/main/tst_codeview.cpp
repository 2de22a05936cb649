#include "platform/Clipboard.h"
#include "support/UiSupport.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QScrollBar>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

// Every kind of line break, a tab, accented letters and a character beyond the Basic Multilingual Plane.
const QString kMixed = "a\r\n\tb\u00e9\r\n\r\nlone\rcr lone\nlf \U0001F600 end\r\n";
const QColor kKeyword(0x00, 0x00, 0x80);

// Selects as a user does with the keyboard: from the start, Right skip times, then Shift+Right take times.
void selectWithKeys(CodeView* pane, int skip, int take) {
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < skip; ++i)
        QTest::keyClick(pane, Qt::Key_Right);
    for (int i = 0; i < take; ++i)
        QTest::keyClick(pane, Qt::Key_Right, Qt::ShiftModifier);
}

// The colour Scintilla painted a position of the pane's text in.
QColor colourAt(const CodeView* pane, long position) {
    const long bgr = pane->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE,
                                         pane->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position));
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

// Shows code and waits until the pane has given all of it its styles, as painting and idle time do.
void showStyled(CodeView* pane, const QString& code) {
    pane->setCode(code);
    QTRY_COMPARE(pane->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED),
                 pane->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
}

} // namespace

class TestCodeView : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() {
        m_env->reset();
        clipboard::setText("before");
    }

    // What is selected and copied, with Ctrl+C or Ctrl+A (Copy All, which keeps the selection), is the stored text.
    void keepsTheStoredTextExactly_data() {
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("take");
        QTest::addColumn<QString>("selected");
        QTest::newRow("CR LF pairs and a tab") << 3 << 6 << "b\u00e9\r\n\r\nlo";
        QTest::newRow("a lone CR") << 10 << 3 << "e\rc";
        QTest::newRow("a lone LF") << 18 << 3 << "e\nl";
        QTest::newRow("a character of two UTF-16 units") << 23 << 1 << "\U0001F600";
        QTest::newRow("everything") << 0 << 100 << kMixed;
        QTest::newRow("nothing: the clipboard keeps what it held") << 5 << 0 << "before";
    }

    void keepsTheStoredTextExactly() {
        QFETCH(int, skip);
        QFETCH(int, take);
        QFETCH(QString, selected);
        Session s;
        CodeView* pane = s.main().codeView();
        pane->setCode(kMixed);
        QCOMPARE(pane->text(), kMixed); // what the editor holds, not only our copy
        selectWithKeys(pane, skip, take);
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), selected);
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), kMixed);
        QCOMPARE(pane->selectedCode(), take ? selected : QString());
    }

    // Keywords navy and comments green, as in the VB IDE, everything else black; every letter as wide as any other,
    // and a long line scrolls rather than wraps; no key changes what the pane shows.
    void showsCodeAsTheVbIdeButTakesNoInput() {
        Session s;
        CodeView* pane = s.main().codeView();
        const QColor comment(0x00, 0x80, 0x00), black(Qt::black);
        // A line, and the colour of a word in it.
        const std::tuple<const char*, QColor, const char*> cases[] = {
            {"Public Sub Hello()", kKeyword, "Sub"}, {"x = 1: END IF", kKeyword, "IF"},
            {"a = b Xor c", kKeyword, "Xor"},        {"Public Sub Hello()", black, "Hello"},
            {"x = 1 ' Sub note", comment, "Sub"},    {"Rem Sub note", comment, "note"},
            {"s = \"Sub it's\" & t", black, "Sub"},  {"n = &H1F + 10", black, "10"}};
        for (const auto& [line, colour, word] : cases) {
            const QString code = QString("Dim x\r\n") + line + "\r\nEnd Sub\r\n";
            showStyled(pane, code);
            QVERIFY2(colourAt(pane, code.indexOf(word)) == colour, line);
        }
        const auto width = [pane](const char* text) {
            return pane->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, QsciScintillaBase::STYLE_DEFAULT, text);
        };
        QCOMPARE(width("iiii"), width("WWWW"));
        showStyled(pane, "Dim x ' " + QString(2000, 'x') + "\r\nEnd");
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 0UL), 1);
        QTRY_VERIFY(pane->horizontalScrollBar()->maximum() > width("x") * 1500);

        pane->setCode(kMixed);
        clipboard::setText("pasted");
        selectWithKeys(pane, 3, 2);
        for (const char* keys : {"x", "Return", "Backspace", "Del", "Tab", "Ctrl+V", "Shift+Ins", "Ctrl+X",
                                 "Ctrl+Shift+L", "Ctrl+D", "Ctrl+Shift+U"}) {
            QTest::keySequence(pane, QKeySequence(QString(keys)));
            QVERIFY2(pane->text() == kMixed && pane->code() == kMixed, keys);
        }
    }

    // The menu entry turns the colours off and on, and the next start keeps the choice.
    void theHighlightingChoiceIsRemembered() {
        for (const bool wasOn : {true, false}) {
            Session s;
            QAction* entry = action(s.main(), "mnuViewSyntaxHighlighting");
            QCOMPARE(entry->isChecked(), wasOn);
            showStyled(s.main().codeView(), "Public Sub Hello()");
            QCOMPARE(colourAt(s.main().codeView(), 7) == kKeyword, wasOn);
            entry->trigger();
            showStyled(s.main().codeView(), "Public Sub Hello()");
            QCOMPARE(colourAt(s.main().codeView(), 7) == kKeyword, !wasOn);
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestCodeView)
#include "tst_codeview.moc"
