// The name dialog's key rules and the About window.
#include "AppTest.h"

#include "uAbout.h"
#include "uNameInput.h"

#include <QLineEdit>
#include <QToolButton>

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void leadingBlanksGoAtOnceTrailingOnesOnEnter()
    {
        TfrmNameInput Dialog(nullptr);
        QTest::keyClicks(Dialog.edName, "  Lista ");
        QCOMPARE(Dialog.edName->text(), QString("Lista "));
        QVERIFY(Dialog.btnOK->isEnabled());
        QTest::keyClick(Dialog.edName, Qt::Key_Return);
        QCOMPARE(Dialog.edName->text(), QString("Lista"));
        QCOMPARE(Dialog.result(), int(QDialog::Accepted));
    }

    void theOkButtonKeepsTrailingBlanks()
    {
        TfrmNameInput Dialog(nullptr);
        QTest::keyClicks(Dialog.edName, "Lista  ");
        Dialog.btnOK->click();
        QCOMPARE(Dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Dialog.edName->text(), QString("Lista  "));
    }

    void typingInTheMiddleMovesTheCaretToTheEnd()
    {
        TfrmNameInput Dialog(nullptr);
        QTest::keyClicks(Dialog.edName, "Lita");
        Dialog.edName->setCursorPosition(2);
        QTest::keyClicks(Dialog.edName, "s");
        QCOMPARE(Dialog.edName->text(), QString("Lista"));
        QCOMPARE(Dialog.edName->cursorPosition(), 5);
    }

    void anEmptyNameCannotBeConfirmedAndEscapeEmptiesThenCancels()
    {
        TfrmNameInput Dialog(nullptr);
        Dialog.show();
        QTest::keyClicks(Dialog.edName, "   ");
        QCOMPARE(Dialog.edName->text(), QString());
        QVERIFY(!Dialog.btnOK->isEnabled());
        QTest::keyClick(Dialog.edName, Qt::Key_Return);
        QVERIFY(Dialog.isVisible());
        QTest::keyClicks(Dialog.edName, "Nazwa$");
        QTest::keyClick(Dialog.edName, Qt::Key_Escape);
        QCOMPARE(Dialog.edName->text(), QString());
        QVERIFY(Dialog.isVisible());
        QTest::keyClick(Dialog.edName, Qt::Key_Escape);
        QVERIFY(!Dialog.isVisible());
        QCOMPARE(Dialog.result(), int(QDialog::Rejected));
    }

    void nameDialogLooksAsItShould()
    {
        TfrmNameInput Dialog(nullptr);
        QCOMPARE(Dialog.windowTitle(), QString("Podaj nazwę..."));
        QCOMPARE(Dialog.size(), QSize(204, 106));
        QCOMPARE(Dialog.edName->toolTip(), QString("Wprowadź nazwę. Niedozwolone jest użycie znaku \"$\""));
    }

    void aboutShowsTheProductAndClosesByEscapeOrClick()
    {
        TfrmAbout About(nullptr);
        QCOMPARE(About.size(), QSize(444, 170));
        QCOMPARE(About.lblTitle->text(), QString("Bivoxa OEM"));
        QCOMPARE(About.lblVersion->text(), QString("2009.1.0a"));
        QVERIFY(About.lblEmail->text().contains('@'));
        About.show();
        QTest::keyClick(&About, Qt::Key_Escape);
        QVERIFY(!About.isVisible());
        About.show();
        About.lblClose->OnMouseEnter();
        QVERIFY(About.lblClose->font().bold());
        About.lblClose->OnMouseLeave();
        QVERIFY(!About.lblClose->font().bold());
        QTest::mouseClick(About.lblClose, Qt::LeftButton);
        QVERIFY(!About.isVisible());
    }
};

BIVOXA_APP_TEST(DialogsTest)
#include "DialogsTest.moc"
