#include "core/Settings.h"
#include "platform/Clipboard.h"
#include "support/UiSupport.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"
#include "ui/main/VbHighlighter.h"

#include <QMenu>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

using namespace verdane;
using namespace verdane::test;

namespace {

// The colour the pane gives the character at a position of a line.
QColor colourAt(CodeView* pane, int blockNumber, int column) {
    const QTextBlock block = pane->document()->findBlockByNumber(blockNumber);
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (column >= range.start && column < range.start + range.length)
            return range.format.foreground().color();
    }
    return {};
}

const QString kCode =
    QStringLiteral("' Shows a box\r\nPublic Sub Hello()\r\n    MsgBox \"it's 10\" & 10 ' say it\r\nEnd Sub\r\n");

} // namespace

class TestHighlighting : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }
    void init() { m_env->reset(); }

    void coloursOnlyHowTheTextLooks() {
        Session s;
        CodeView* pane = s.main().codeView();
        QVERIFY(s.main().menuAction(QStringLiteral("mnuViewSyntaxHighlighting"))->isChecked());
        QVERIFY(pane->highlighter());
        pane->setCode(kCode);
        const VbHighlighter* h = pane->highlighter();
        QCOMPARE(colourAt(pane, 0, 3), h->format(vb::Kind::Comment).foreground().color());
        QCOMPARE(colourAt(pane, 1, 1), h->format(vb::Kind::Keyword).foreground().color());
        QCOMPARE(colourAt(pane, 2, 12), h->format(vb::Kind::String).foreground().color());
        QCOMPARE(colourAt(pane, 2, 24), h->format(vb::Kind::Number).foreground().color());
        QVERIFY(!colourAt(pane, 1, 12).isValid()); // the name Hello is plain
        // The colours differ from each other and from plain text.
        QSet<QRgb> colours{pane->palette().color(QPalette::Text).rgb()};
        for (const vb::Kind k : {vb::Kind::Keyword, vb::Kind::Comment, vb::Kind::String, vb::Kind::Number})
            colours.insert(h->format(k).foreground().color().rgb());
        QCOMPARE(colours.size(), 5);

        // The text is the stored text; commands take it whole.
        QCOMPARE(pane->code(), kCode);
        pane->selectAll();
        QCOMPARE(pane->selectedCode(), kCode);
        s.main().mnuFileCopyAll_Click();
        QCOMPARE(clipboard::text(), kCode);
    }

    void theChoiceIsRemembered() {
        {
            Session s;
            QAction* entry = s.main().menuAction(QStringLiteral("mnuViewSyntaxHighlighting"));
            QCOMPARE(entry->text(), QStringLiteral("Syntax &Highlighting"));
            s.main().codeView()->setCode(kCode);
            entry->trigger();
            QVERIFY(!entry->isChecked());
            QVERIFY(!s.main().codeView()->highlighter());
            QVERIFY(!colourAt(s.main().codeView(), 1, 1).isValid());
            QCOMPARE(settings::read(settings::SyntaxHighlighting), QStringLiteral("0"));
        }
        {
            Session s;
            QAction* entry = s.main().menuAction(QStringLiteral("mnuViewSyntaxHighlighting"));
            QVERIFY(!entry->isChecked());
            QVERIFY(!s.main().codeView()->highlighter());
            s.main().codeView()->setCode(kCode);
            entry->trigger();
            QTRY_VERIFY(colourAt(s.main().codeView(), 1, 1).isValid());
            QCOMPARE(settings::read(settings::SyntaxHighlighting), QStringLiteral("1"));
        }
    }

    void longTextsAreColouredVisibleFirstThenInSlices() {
        Session s;
        CodeView* pane = s.main().codeView();
        QString code;
        for (int i = 0; i < 5000; ++i)
            code += QStringLiteral("    x = %1 ' line\r\n").arg(i);
        code += QStringLiteral("' a comment that goes on _\r\nIf this Then is still comment\r\nIf x Then\r\n");
        pane->setCode(code);
        const VbHighlighter* h = pane->highlighter();
        const QColor comment = h->format(vb::Kind::Comment).foreground().color();
        const QColor keyword = h->format(vb::Kind::Keyword).foreground().color();
        QCOMPARE(colourAt(pane, 0, 13), comment);
        QVERIFY(!h->isComplete());
        // Scrolled to the end: coloured at once, and rightly, from the states worked out beforehand.
        pane->moveCursor(QTextCursor::End);
        pane->ensureCursorVisible();
        QCOMPARE(colourAt(pane, 5001, 0), comment);
        QCOMPARE(colourAt(pane, 5002, 0), keyword);
        // The rest follows while the event loop runs.
        QTRY_VERIFY(h->isComplete());
        QCOMPARE(colourAt(pane, 2500, 14), comment);
        QCOMPARE(colourAt(pane, 2500, 10), h->format(vb::Kind::Number).foreground().color());
        QCOMPARE(pane->code(), code);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestHighlighting)
#include "tst_highlighting.moc"
