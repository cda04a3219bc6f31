// The settings window: MIDI In devices, the devices behind Port A and Port B,
// and the split of the sixteen channels between them; it owns config.xml.
#pragma once

#include <QDialog>

#include <cstdint>

class QAction;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QToolButton;
class TfrmMain;
struct TXmlDocument;

// <application-data folder>/Marvessa/Bivoxa OEM/config.xml, computed at program start.
QString& SettingsFileName();
void InitSettingsFileName();

class TfrmSetup : public QDialog {
    Q_OBJECT
public:
    // Lists the devices, sets the defaults and reads the settings file.
    explicit TfrmSetup(TfrmMain* MainWindow);
    // Writes the settings file.
    ~TfrmSetup() override;

    // For the controller.
    uint16_t ChannelMask() const { return FChannelMask; }
    int InputCount() const;
    bool InputActive(int Index) const;
    int SelectedPortA() const;
    int SelectedPortB() const;

    void LoadSettings();
    void SaveSettings();
    void SetChannelMask(uint16_t Mask);

    // The actions' enabling and visibility; runs whenever the application is idle.
    void aclSetupUpdate();

    QTabWidget* pagSetup = nullptr;
    QListWidget* lbInputs = nullptr;
    QListWidget* lbOutputsA = nullptr;
    QListWidget* lbOutputsB = nullptr;
    QListWidget* lbSMFA = nullptr;
    QListWidget* lbSMFB = nullptr;
    QLabel* labTab0 = nullptr;
    QLabel* labTab1 = nullptr;
    QPushButton* btnTab0OK = nullptr;
    QPushButton* btnTab1OK = nullptr;
    QAction* acOneToA = nullptr;
    QAction* acOneToB = nullptr;
    QAction* acAllToA = nullptr;
    QAction* acAllToB = nullptr;

    void acOneToAExecute();
    void acOneToBExecute();
    void acAllToAExecute();
    void acAllToBExecute();

protected:
    void closeEvent(QCloseEvent* Event) override;

private:
    void BuildPorts(QWidget* Page);
    void BuildChannels(QWidget* Page);
    void FormCreate();
    void UpdateChannelMask();
    void BeginChannelUpdate();
    void EndChannelUpdate();
    void MoveSelected(QListWidget* From, QListWidget* To);
    void MoveAll(QListWidget* From, QListWidget* To);
    void ApplyDocument(const TXmlDocument& Document);
    void ApplyWindowSettings(const struct TXmlElement& Window);
    void ApplyMidiSettings(const struct TXmlElement& Midi);
    TXmlDocument BuildDocument() const;

    TfrmMain* FMain;
    uint16_t FChannelMask = 0xFFFF;
};

// Checks exactly one entry of a port list: the one at Row.
void CheckPortEntry(QListWidget* List, int Row);
