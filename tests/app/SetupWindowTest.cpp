// The settings window: device lists, channel moves and the mask they give, and
// the arrow buttons that show only when they can be used.
#include "AppTest.h"

#include "uMain.h"
#include "uSetup.h"

#include <QAction>

namespace {

QStringList Texts(const QListWidget* List)
{
    QStringList Result;
    for (int I = 0; I < List->count(); ++I)
        Result << List->item(I)->text();
    return Result;
}

QStringList Channels(std::initializer_list<int> Numbers)
{
    QStringList Result;
    for (int N : Numbers)
        Result << QString::asprintf("%2.2d", N);
    return Result;
}

} // namespace

class SetupWindowTest : public QObject {
    Q_OBJECT
    std::unique_ptr<TfrmMain> Window;
    TfrmSetup* Setup = nullptr;

    void Select(QListWidget* List, const QString& Text)
    {
        List->setCurrentItem(List->findItems(Text, Qt::MatchExactly).first());
    }

private slots:
    void init()
    {
        QFile::remove(SettingsFileName());
        Window = std::make_unique<TfrmMain>();
        Setup = Window->frmSetup();
    }
    void cleanup() { Window.reset(); }

    void listsTheDevicesWithNoDeviceChecked()
    {
        QCOMPARE(Texts(Setup->lbOutputsA), (QStringList{"(Brak)", "Synth A", "Synth B"}));
        QCOMPARE(Texts(Setup->lbOutputsB), (QStringList{"(Brak)", "Synth A", "Synth B"}));
        QCOMPARE(Texts(Setup->lbInputs), QStringList{"Keys"});
        QCOMPARE(Setup->SelectedPortA(), 0);
        QCOMPARE(Setup->SelectedPortB(), 0);
        QCOMPARE(Setup->InputCount(), 1);
        QVERIFY(!Setup->InputActive(0));
        QCOMPARE(Setup->ChannelMask(), uint16_t(0xFFFF));
        QCOMPARE(Setup->windowTitle(), QString("Ustawienia"));
        QCOMPARE(Setup->size(), QSize(609, 328));
    }

    void portListsKeepOneMark()
    {
        Setup->lbOutputsA->item(2)->setCheckState(Qt::Checked);
        QCOMPARE(Setup->SelectedPortA(), 2);
        QCOMPARE(Setup->lbOutputsA->item(0)->checkState(), Qt::Unchecked);
        Setup->lbOutputsA->item(2)->setCheckState(Qt::Unchecked); // a radio mark cannot be taken away
        QCOMPARE(Setup->SelectedPortA(), 2);
    }

    void movingChannelsUpdatesTheMaskAndKeepsBothListsSorted()
    {
        Select(Setup->lbSMFA, "10");
        Setup->acOneToBExecute();
        QCOMPARE(Setup->ChannelMask(), uint16_t(65023));
        QCOMPARE(Texts(Setup->lbSMFB), Channels({10}));
        Select(Setup->lbSMFA, "03");
        Setup->acOneToBExecute();
        Select(Setup->lbSMFA, "16");
        Setup->acOneToBExecute();
        QCOMPARE(Texts(Setup->lbSMFB), Channels({3, 10, 16}));
        Select(Setup->lbSMFB, "10");
        Setup->acOneToAExecute();
        QCOMPARE(Texts(Setup->lbSMFA), Channels({1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
        QCOMPARE(Setup->ChannelMask(), uint16_t(0xFFFF & ~(1 << 2) & ~(1 << 15)));
        Setup->acAllToBExecute();
        QCOMPARE(Setup->ChannelMask(), uint16_t(0));
        QCOMPARE(Setup->lbSMFA->count(), 0);
        QCOMPARE(Texts(Setup->lbSMFB), Channels({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}));
        Setup->acAllToAExecute();
        QCOMPARE(Setup->ChannelMask(), uint16_t(0xFFFF));
    }

    void doubleClickMovesTheChannelAcross()
    {
        Select(Setup->lbSMFA, "05");
        emit Setup->lbSMFA->itemDoubleClicked(Setup->lbSMFA->currentItem());
        QCOMPARE(Texts(Setup->lbSMFB), Channels({5}));
        Select(Setup->lbSMFB, "05");
        emit Setup->lbSMFB->itemDoubleClicked(Setup->lbSMFB->currentItem());
        QCOMPARE(Setup->lbSMFB->count(), 0);
    }

    void arrowsShowOnlyWhenTheyCanBeUsed()
    {
        Setup->show();
        Setup->pagSetup->setCurrentIndex(1);
        Setup->aclSetupUpdate();
        QVERIFY(Setup->acAllToB->isVisible());
        QVERIFY(!Setup->acAllToA->isVisible());
        QVERIFY(!Setup->acOneToA->isVisible());
        QVERIFY(!Setup->acOneToB->isVisible());
        Setup->activateWindow();
        Setup->lbSMFA->setFocus();
        Select(Setup->lbSMFA, "02");
        QVERIFY(WaitFor([this] { return Setup->lbSMFA->hasFocus(); }, 1000));
        Setup->aclSetupUpdate();
        QVERIFY(Setup->acOneToB->isVisible());
        QVERIFY(!Setup->acOneToA->isVisible());
        Setup->hide();
    }
};

BIVOXA_APP_TEST(SetupWindowTest)
#include "SetupWindowTest.moc"
