#include "core/Settings.h"
#include "platform/Clipboard.h"
#include "support/UiSupport.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

// Every kind of line break, a tab, accented letters and a character beyond the Basic Multilingual Plane.
const QString kMixed = "a\r\n\tb\u00e9\r\n\r\nlone\rcr lone\nlf \U0001F600 end\r\n";

// Selects as a user does with the keyboard: from the start, Right skip times, then Shift+Right take times.
void selectWithKeys(CodeView* pane, int skip, int take) {
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < skip; ++i)
        QTest::keyClick(pane, Qt::Key_Right);
    for (int i = 0; i < take; ++i)
        QTest::keyClick(pane, Qt::Key_Right, Qt::ShiftModifier);
}

// A property of the style Scintilla painted a position of the pane's text in.
long styleAt(const CodeView* pane, long position, int property) {
    return pane->SendScintilla(property, pane->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position));
}

QColor colourAt(const CodeView* pane, long position, int property = QsciScintillaBase::SCI_STYLEGETFORE) {
    const long bgr = styleAt(pane, position, property);
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

QByteArray fontAt(const CodeView* pane, long position) {
    QByteArray font(64, '\0');
    pane->SendScintilla(QsciScintillaBase::SCI_STYLEGETFONT,
                        pane->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position), font.data());
    return font.constData();
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

    void keepsTheStoredTextExactly_data() {
        QTest::addColumn<int>("skip");
        QTest::addColumn<int>("take");
        QTest::addColumn<QString>("selected");
        QTest::newRow("CR LF pairs and a tab") << 3 << 6 << "b\u00e9\r\n\r\nlo";
        QTest::newRow("a lone CR") << 10 << 3 << "e\rc";
        QTest::newRow("a lone LF") << 18 << 3 << "e\nl";
        QTest::newRow("a character of two UTF-16 units") << 23 << 1 << "\U0001F600";
        QTest::newRow("everything") << 0 << 100 << kMixed;
        QTest::newRow("nothing") << 5 << 0 << QString();
    }

    void keepsTheStoredTextExactly() {
        QFETCH(int, skip);
        QFETCH(int, take);
        QFETCH(QString, selected);
        Session s;
        CodeView* pane = s.main().codeView();
        pane->setCode(kMixed);
        QCOMPARE(pane->code(), kMixed);
        QCOMPARE(pane->text(), kMixed); // what the editor holds, not only our copy

        selectWithKeys(pane, skip, take);
        QCOMPARE(pane->selectedCode(), selected);
        // The window's Ctrl+C copies the selection; without one the clipboard keeps what it held.
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), selected.isEmpty() ? "before" : selected);
        // Ctrl+A is Copy All: the whole text goes to the clipboard and the selection stays as it was.
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), kMixed);
        QCOMPARE(pane->selectedCode(), selected);
    }

    // Neither keys nor a drop change what the pane shows.
    void takesNoInput_data() {
        QTest::addColumn<QKeySequence>("keys");
        for (const char* keys : {"x", "Return", "Backspace", "Del", "Tab", "Ctrl+V", "Shift+Ins", "Ctrl+X",
                                 "Ctrl+Shift+L", "Ctrl+D", "Ctrl+Shift+U", ""})
            QTest::newRow(*keys ? keys : "a drop") << QKeySequence(QString(keys));
    }

    void takesNoInput() {
        QFETCH(QKeySequence, keys);
        Session s;
        CodeView* pane = s.main().codeView();
        pane->setCode(kMixed);
        clipboard::setText("pasted");
        selectWithKeys(pane, 3, 2);
        if (keys.isEmpty()) {
            QMimeData dragged;
            dragged.setText("dropped");
            QDragEnterEvent enter({5, 5}, Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, {});
            QApplication::sendEvent(pane->viewport(), &enter);
            QVERIFY(!enter.isAccepted());
            QDropEvent drop({5, 5}, Qt::CopyAction | Qt::MoveAction, &dragged, Qt::LeftButton, {});
            QApplication::sendEvent(pane->viewport(), &drop);
        }
        QTest::keySequence(pane, keys);
        QCOMPARE(pane->text(), kMixed);
        QCOMPARE(pane->code(), kMixed);
    }

    void contextMenuHoldsTheCopyAndEditCommands() {
        Session s;
        QCOMPARE(s.main().codeView()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QList<QAction*> commands = s.main().codeView()->actions();
        commands.removeIf([](QAction* a) { return a->isSeparator(); });
        QCOMPARE(commands, QList<QAction*>({action(s.main(), "mnuFileCopy"), action(s.main(), "mnuFileCopyAll"),
                                            action(s.main(), "mnuFileEditCode"), action(s.main(), "mnuFileSaveCode"),
                                            action(s.main(), "mnuFileCancelEdit")}));
    }

    void coloursAsTheVbIde_data() {
        QTest::addColumn<bool>("highlighting");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QString>("word");
        const QColor keyword(0x00, 0x00, 0x80), comment(0x00, 0x80, 0x00), black(Qt::black);
        QTest::newRow("keyword") << true << "Public Sub Hello()" << keyword << "Sub";
        QTest::newRow("keyword in capitals") << true << "x = 1: END IF" << keyword << "IF";
        QTest::newRow("operator word") << true << "a = b Xor c" << keyword << "Xor";
        QTest::newRow("a name") << true << "Public Sub Hello()" << black << "Hello";
        QTest::newRow("a call") << true << "MsgBox x" << black << "MsgBox";
        QTest::newRow("comment") << true << "x = 1 ' Sub note" << comment << "Sub";
        QTest::newRow("Rem comment") << true << "Rem Sub note" << comment << "note";
        QTest::newRow("string") << true << "s = \"Sub it's\" & t" << black << "Sub";
        QTest::newRow("number") << true << "n = &H1F + 10" << black << "10";
        QTest::newRow("keyword, highlighting off") << false << "Public Sub Hello()" << black << "Sub";
        QTest::newRow("comment, highlighting off") << false << "x = 1 ' Sub note" << black << "Sub";
    }

    void coloursAsTheVbIde() {
        QFETCH(bool, highlighting);
        QFETCH(QString, line);
        QFETCH(QColor, colour);
        QFETCH(QString, word);
        Session s;
        CodeView* pane = s.main().codeView();
        pane->setHighlighting(highlighting);
        const QString code = "Dim x\r\n" + line + "\r\nEnd Sub\r\n";
        showStyled(pane, code);
        const long at = code.indexOf(word);
        QCOMPARE(colourAt(pane, at), colour);
        QCOMPARE(colourAt(pane, at, QsciScintillaBase::SCI_STYLEGETBACK), QColor(Qt::white));
        QCOMPARE(fontAt(pane, at), "Courier New");
        QCOMPARE(styleAt(pane, at, QsciScintillaBase::SCI_STYLEGETSIZEFRACTIONAL), 975);
        QCOMPARE(styleAt(pane, at, QsciScintillaBase::SCI_STYLEGETBOLD), 0);
        QCOMPARE(pane->code(), code);
    }

    void theHighlightingChoiceIsRemembered() {
        const QString code = "Public Sub Hello()";
        const QColor keyword(0x00, 0x00, 0x80);
        for (const bool wasOn : {true, false}) {
            Session s;
            CodeView* pane = s.main().codeView();
            QAction* entry = action(s.main(), "mnuViewSyntaxHighlighting");
            QCOMPARE(entry->isChecked(), wasOn);
            showStyled(pane, code);
            QCOMPARE(colourAt(pane, 7) == keyword, wasOn);
            entry->trigger();
            showStyled(pane, code);
            QCOMPARE(colourAt(pane, 7) == keyword, !wasOn);
            QCOMPARE(settings::read(settings::SyntaxHighlighting), wasOn ? "0" : "1");
        }
    }

    void fixedPitchWithoutWrapping() {
        Session s;
        CodeView* pane = s.main().codeView();
        const auto width = [pane](const char* text) {
            return pane->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, QsciScintillaBase::STYLE_DEFAULT, text);
        };
        QCOMPARE(width("iiii"), width("WWWW"));
        const QString longLine = "Dim x ' " + QString(2000, 'x');
        showStyled(pane, longLine + "\r\nEnd");
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 0UL), 1);
        QTRY_VERIFY(pane->horizontalScrollBar()->maximum() > width("x") * 1500);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestCodeView)
#include "tst_codeview.moc"
