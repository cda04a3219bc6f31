#include "uSetup.h"

#include "SettingsXml.h"
#include "TeskUtils.h"
#include "platform/MidiDevices.h"
#include "platform/SysUtils.h"
#include "uMain.h"
#include "uVersion.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const char* const NoDevice = "(Brak)";

QString& SettingsPath()
{
    static QString Path;
    return Path;
}

QListWidget* NewList(QWidget* Parent, const QString& Name, const QString& Hint)
{
    auto* List = new QListWidget(Parent);
    List->setObjectName(Name);
    List->setToolTip(Hint);
    return List;
}

QLabel* Header(QWidget* Parent, const QString& Html)
{
    auto* Label = new QLabel(Html, Parent);
    Label->setAlignment(Qt::AlignCenter);
    Label->setTextFormat(Qt::RichText);
    return Label;
}

QFrame* Rule(QWidget* Parent)
{
    auto* Line = new QFrame(Parent);
    Line->setFrameShape(QFrame::HLine);
    Line->setFrameShadow(QFrame::Sunken);
    return Line;
}

QPushButton* OkButton(QDialog* Dialog, QWidget* Parent, const QString& Name)
{
    auto* Button = new QPushButton("OK", Parent);
    Button->setObjectName(Name);
    Button->setToolTip("Zamknij");
    QObject::connect(Button, &QPushButton::clicked, Dialog, &QDialog::accept);
    return Button;
}

void AddEntry(QListWidget* List, const QString& Caption)
{
    auto* Entry = new QListWidgetItem(Caption, List);
    Entry->setFlags(Entry->flags() | Qt::ItemIsUserCheckable);
    Entry->setCheckState(Qt::Unchecked);
}

void AddChannel(QListWidget* List, const QString& Number)
{
    auto* Entry = new QListWidgetItem(Number, List);
    Entry->setTextAlignment(Qt::AlignCenter);
}

int FirstChecked(const QListWidget* List)
{
    for (int I = 0; I < List->count(); ++I)
        if (List->item(I)->checkState() == Qt::Checked)
            return I;
    return -1;
}

// "0" is false, any other integer true, "True"/"False" in any case; else false.
bool TextToBool(const QString& Text)
{
    bool IsNumber = false;
    const int Value = Text.toInt(&IsNumber);
    if (IsNumber)
        return Value != 0;
    return Text.compare("true", Qt::CaseInsensitive) == 0;
}

int TextToInt(const TXmlElement* Element, int Default)
{
    if (Element == nullptr)
        return Default;
    bool IsNumber = false;
    const int Value = Element->Text.trimmed().toInt(&IsNumber);
    return IsNumber ? Value : Default;
}

QString CheckedCaption(const QListWidget* List)
{
    const int Row = FirstChecked(List);
    return Row >= 0 ? List->item(Row)->text() : QString(NoDevice);
}

} // namespace

QString& SettingsFileName() { return SettingsPath(); }

void InitSettingsFileName()
{
    SettingsPath() = GetAppDataFolder() + "/Marvessa/" + ProductName + "/config.xml";
}

void CheckPortEntry(QListWidget* List, int Row)
{
    const QSignalBlocker Quiet(List);
    for (int I = 0; I < List->count(); ++I)
        List->item(I)->setCheckState(I == Row ? Qt::Checked : Qt::Unchecked);
}

TfrmSetup::TfrmSetup(TfrmMain* MainWindow) : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint), FMain(MainWindow)
{
    setObjectName("frmSetup");
    setWindowTitle("Ustawienia");
    setFixedSize(609, 328);
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    pagSetup = new QTabWidget(this);
    pagSetup->setObjectName("pagSetup");
    pagSetup->setToolTip("Ustawienia portów MIDI");
    Layout->addWidget(pagSetup);

    auto* Ports = new QWidget;
    Ports->setObjectName("AdvOfficePage1");
    Ports->setToolTip("Ustawienia portów MIDI");
    BuildPorts(Ports);
    pagSetup->addTab(Ports, "Porty  MIDI");
    pagSetup->setTabToolTip(0, "<b>Ustawienia portów MIDI</b><br>Zaznacz wejścia - porty MIDI In, które mają być aktywne"
                               "<br>Wybierz wyjście - port MIDI Out dla wirtualnego portu A oraz portu B");
    auto* Channels = new QWidget;
    Channels->setObjectName("tabMIDIPlayer");
    Channels->setToolTip("Ustawienia podziału kanałów MIDI");
    BuildChannels(Channels);
    pagSetup->addTab(Channels, "Kanały MIDI");

    auto* Idle = new QTimer(this);
    connect(Idle, &QTimer::timeout, this, &TfrmSetup::aclSetupUpdate);
    Idle->start(100);
    FormCreate();
}

TfrmSetup::~TfrmSetup() { SaveSettings(); }

void TfrmSetup::BuildPorts(QWidget* Page)
{
    auto* Grid = new QGridLayout(Page);
    lbInputs = NewList(Page, "lbInputs", "Zaznacz aktywne porty MIDI");
    lbOutputsA = NewList(Page, "lbOutputsA", "Przypisz port MIDI do wirtualnego portu A");
    lbOutputsB = NewList(Page, "lbOutputsB", "Przypisz port MIDI do wirtualnego portu B");
    Grid->addWidget(Header(Page, "MIDI In"), 0, 0);
    Grid->addWidget(Header(Page, "MIDI Out - <span style='color:red'>Port A</span><br><i>(Transmisja sysex)</i>"), 0, 1);
    Grid->addWidget(Header(Page, "MIDI Out - <span style='color:red'>Port B</span>"), 0, 2);
    Grid->addWidget(lbInputs, 1, 0);
    Grid->addWidget(lbOutputsA, 1, 1);
    Grid->addWidget(lbOutputsB, 1, 2);
    Grid->addWidget(Rule(Page), 2, 0, 1, 3);
    labTab0 = new QLabel(Page);
    labTab0->setObjectName("labTab0");
    labTab0->setWordWrap(true);
    Grid->addWidget(labTab0, 3, 0, 1, 2);
    btnTab0OK = OkButton(this, Page, "btnTab0OK");
    Grid->addWidget(btnTab0OK, 3, 2, Qt::AlignRight | Qt::AlignBottom);
    for (QListWidget* Ports : {lbOutputsA, lbOutputsB})
        connect(Ports, &QListWidget::itemChanged, this, [Ports](QListWidgetItem* Entry) {
            CheckPortEntry(Ports, Ports->row(Entry)); // one radio mark per list
        });
}

void TfrmSetup::BuildChannels(QWidget* Page)
{
    auto* Grid = new QGridLayout(Page);
    lbSMFA = NewList(Page, "lbSMFA",
        "Wybierz kanały MIDI kierowane do wirtualnego portu A\r\nMożesz użyć przycisków ze strzałkami lub kliknąć dwa razy"
        " w numer kanału,\r\naby go przenieść do portu B");
    lbSMFB = NewList(Page, "lbSMFB",
        "Wybierz kanały MIDI kierowane do wirtualnego portu B\r\nMożesz użyć przycisków ze strzałkami lub kliknąć dwa razy"
        " w numer kanału,\r\naby go przenieść do portu A");
    for (QListWidget* List : {lbSMFA, lbSMFB})
        List->setSortingEnabled(true);
    Grid->addWidget(Header(Page, "Transmisja do<br><span style='color:red'>Portu MIDI A</span>"), 0, 0);
    Grid->addWidget(Header(Page, "Transmisja do<br><span style='color:red'>Portu MIDI B</span>"), 0, 2);
    Grid->addWidget(lbSMFA, 1, 0);
    Grid->addWidget(lbSMFB, 1, 2);

    const struct {
        QAction** Action;
        const char* Name;
        const char* Arrow;
        const char* Hint;
        void (TfrmSetup::*Execute)();
    } Actions[] = {
        {&acOneToB, "acOneToB", "›", "Przenosi przekierowanie wybranego kanału do Portu B", &TfrmSetup::acOneToBExecute},
        {&acOneToA, "acOneToA", "‹", "Przenosi przekierowanie wybranego kanału do Portu A", &TfrmSetup::acOneToAExecute},
        {&acAllToB, "acAllToB", "»", "Przenosi przekierowanie wszystkich kanałów do Portu B", &TfrmSetup::acAllToBExecute},
        {&acAllToA, "acAllToA", "«", "Przenosi przekierowanie wszystkich kanałów do Portu A", &TfrmSetup::acAllToAExecute},
    };
    auto* Arrows = new QVBoxLayout;
    Arrows->addStretch();
    for (const auto& Entry : Actions) {
        auto* Action = new QAction(Entry.Arrow, this);
        Action->setObjectName(Entry.Name);
        Action->setToolTip(Entry.Hint);
        connect(Action, &QAction::triggered, this, Entry.Execute);
        auto* Button = new QToolButton(Page);
        Button->setDefaultAction(Action);
        Button->setFixedSize(24, 24);
        Arrows->addWidget(Button);
        *Entry.Action = Action;
    }
    Arrows->addStretch();
    Grid->addLayout(Arrows, 1, 1);
    Grid->addWidget(Rule(Page), 2, 0, 1, 3);
    labTab1 = new QLabel(Page);
    labTab1->setObjectName("labTab1");
    labTab1->setWordWrap(true);
    Grid->addWidget(labTab1, 3, 0, 1, 2);
    btnTab1OK = OkButton(this, Page, "btnTab1OK");
    Grid->addWidget(btnTab1OK, 3, 2, Qt::AlignRight | Qt::AlignBottom);
    connect(lbSMFA, &QListWidget::itemDoubleClicked, this, &TfrmSetup::acOneToBExecute);
    connect(lbSMFB, &QListWidget::itemDoubleClicked, this, &TfrmSetup::acOneToAExecute);
}

void TfrmSetup::FormCreate()
{
    lbInputs->clear();
    const auto Inputs = MidiDevices().InputNames();
    for (const std::string& Name : Inputs)
        AddEntry(lbInputs, QString::fromStdString(Name));
    for (QListWidget* Ports : {lbOutputsA, lbOutputsB}) {
        const QSignalBlocker Quiet(Ports);
        Ports->clear();
        AddEntry(Ports, NoDevice);
    }
    for (const std::string& Name : MidiDevices().OutputNames())
        for (QListWidget* Ports : {lbOutputsA, lbOutputsB}) {
            const QSignalBlocker Quiet(Ports);
            AddEntry(Ports, QString::fromStdString(Name));
        }
    for (QListWidget* Ports : {lbOutputsA, lbOutputsB}) {
        Ports->setCurrentRow(0);
        CheckPortEntry(Ports, 0);
    }
    labTab0->setText("Zaznacz aktywne porty MIDI In\r\nWybierz MIDI Out dla Portu A i Portu B");
    labTab1->setText("Przypisz kanały MIDI do wirtualnych\r\nPortów A i B");
    pagSetup->setCurrentIndex(0);
    SetChannelMask(0xFFFF);
    LoadSettings();
}

void TfrmSetup::closeEvent(QCloseEvent* Event)
{
    hide(); // hidden between visits, never freed here
    Event->ignore();
    if (result() != QDialog::Accepted)
        reject();
}

int TfrmSetup::InputCount() const { return lbInputs->count(); }

bool TfrmSetup::InputActive(int Index) const
{
    const QListWidgetItem* Entry = lbInputs->item(Index);
    return Entry != nullptr && Entry->checkState() == Qt::Checked;
}

int TfrmSetup::SelectedPortA() const { return FirstChecked(lbOutputsA); }

int TfrmSetup::SelectedPortB() const { return FirstChecked(lbOutputsB); }

void TfrmSetup::SetChannelMask(uint16_t Mask)
{
    FChannelMask = Mask;
    BeginChannelUpdate();
    lbSMFA->clear();
    lbSMFB->clear();
    for (int I = 0; I < 16; ++I)
        AddChannel((Mask >> I) & 1 ? lbSMFA : lbSMFB, QString::asprintf("%2.2d", I + 1));
    EndChannelUpdate();
}

void TfrmSetup::UpdateChannelMask()
{
    FChannelMask = 0;
    for (int I = 0; I < lbSMFA->count(); ++I)
        FChannelMask |= static_cast<uint16_t>(1u << (lbSMFA->item(I)->text().toInt() - 1));
}

void TfrmSetup::BeginChannelUpdate()
{
    for (QListWidget* List : {lbSMFA, lbSMFB}) {
        List->setSortingEnabled(false);
        List->setUpdatesEnabled(false);
    }
}

void TfrmSetup::EndChannelUpdate()
{
    for (QListWidget* List : {lbSMFA, lbSMFB}) {
        List->setUpdatesEnabled(true);
        List->setSortingEnabled(true); // sorts them again
        List->sortItems();
    }
}

void TfrmSetup::MoveSelected(QListWidget* From, QListWidget* To)
{
    QListWidgetItem* Selected = From->currentItem();
    if (Selected == nullptr || !Selected->isSelected())
        return;
    BeginChannelUpdate();
    AddChannel(To, Selected->text());
    delete From->takeItem(From->row(Selected));
    UpdateChannelMask();
    EndChannelUpdate();
}

void TfrmSetup::MoveAll(QListWidget* From, QListWidget* To)
{
    if (From->count() == 0)
        return;
    BeginChannelUpdate();
    while (From->count() > 0) {
        AddChannel(To, From->item(0)->text());
        delete From->takeItem(0);
    }
    UpdateChannelMask();
    EndChannelUpdate();
}

void TfrmSetup::acOneToAExecute() { MoveSelected(lbSMFB, lbSMFA); }
void TfrmSetup::acOneToBExecute() { MoveSelected(lbSMFA, lbSMFB); }
void TfrmSetup::acAllToAExecute() { MoveAll(lbSMFB, lbSMFA); }
void TfrmSetup::acAllToBExecute() { MoveAll(lbSMFA, lbSMFB); }

void TfrmSetup::aclSetupUpdate()
{
    const auto HasSelection = [](const QListWidget* List) { return !List->selectedItems().isEmpty(); };
    const std::pair<QAction*, bool> Usable[] = {
        {acOneToA, lbSMFB->hasFocus() && HasSelection(lbSMFB)},
        {acOneToB, lbSMFA->hasFocus() && HasSelection(lbSMFA)},
        {acAllToA, lbSMFB->count() > 0},
        {acAllToB, lbSMFA->count() > 0},
    };
    for (auto [Action, Enabled] : Usable) {
        Action->setVisible(Enabled); // an arrow shows only when it can be used
        Action->setEnabled(Enabled);
        for (QObject* Button : Action->associatedObjects())
            if (auto* Arrow = qobject_cast<QToolButton*>(Button))
                Arrow->setVisible(Enabled);
    }
}

// --- The settings file ---

void TfrmSetup::LoadSettings()
{
    if (!QFileInfo::exists(SettingsFileName()))
        return;
    try {
        QFile File(SettingsFileName());
        if (!File.open(QIODevice::ReadOnly))
            throw Exception(File.errorString().toStdString());
        ApplyDocument(ReadXmlDocument(File.readAll()));
    } catch (const std::exception& Error) {
        MsgBox({"Podczas odczytu ustawień wystąpił błąd: ", QString::fromUtf8(Error.what())}, "odczyt ustawień", mbIconError);
    }
}

void TfrmSetup::ApplyDocument(const TXmlDocument& Document)
{
    if (!Document.Comments.contains(ProductName) || Document.Root.Name != "Settings")
        return; // not our file: ignored as a whole
    if (const TXmlElement* Window = Document.Root.Child("WindowSettings"))
        ApplyWindowSettings(*Window);
    if (const TXmlElement* Midi = Document.Root.Child("MIDISettings"))
        ApplyMidiSettings(*Midi);
}

void TfrmSetup::ApplyWindowSettings(const TXmlElement& Window)
{
    const int L = TextToInt(Window.Child("MainWindowLeft"), -1);
    const int T = TextToInt(Window.Child("MainWindowTop"), -1);
    const int W = TextToInt(Window.Child("MainWindowWidth"), -1);
    const int H = TextToInt(Window.Child("MainWindowHeight"), -1);
    const QRect WorkArea = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize Minimum = FMain->minimumSize();
    QRect Outer = FMain->frameGeometry();
    if (W >= Minimum.width() && L >= WorkArea.left() && L + W <= WorkArea.width())
        Outer.setRect(L, Outer.top(), W, Outer.height());
    if (H > Minimum.height() && T >= WorkArea.top() && T + H <= WorkArea.height())
        Outer.setRect(Outer.left(), T, Outer.width(), H);
    const QSize Frame = FMain->frameGeometry().size() - FMain->geometry().size();
    FMain->move(Outer.topLeft());
    FMain->resize(Outer.size() - Frame);

    const auto Folder = [&Window](const char* Name, QString& Target) {
        const TXmlElement* Element = Window.Child(Name);
        if (Element != nullptr && !Element->Text.isEmpty() && QDir(Element->Text).exists())
            Target = Element->Text;
    };
    Folder("LastOpenFolder", FMain->FLastOpenFolder);
    Folder("LastSaveFolder", FMain->FLastSaveFolder);
    const struct {
        const char* Name;
        QCheckBox* Box;
    } Boxes[] = {{"Auto", FMain->chkAuto}, {"Random", FMain->chkRandom}, {"Repeat", FMain->chkRepeat}};
    for (const auto& Entry : Boxes)
        if (const TXmlElement* Element = Window.Child(Entry.Name))
            Entry.Box->setChecked(TextToBool(Element->Text));
}

void TfrmSetup::ApplyMidiSettings(const TXmlElement& Midi)
{
    if (const TXmlElement* Inputs = Midi.Child("MIDIInputs"))
        for (const TXmlElement& Input : Inputs->Children)
            if (Input.Name == "MIDIInput")
                for (int I = 0; I < lbInputs->count(); ++I)
                    if (lbInputs->item(I)->text() == Input.Text)
                        lbInputs->item(I)->setCheckState(Qt::Checked);
    const TXmlElement* Outputs = Midi.Child("MIDIOutputs");
    if (Outputs == nullptr)
        return;
    const struct {
        const char* Name;
        QListWidget* List;
    } Ports[] = {{"PortAIndex", lbOutputsA}, {"PortBIndex", lbOutputsB}};
    for (const auto& Port : Ports) {
        const TXmlElement* Element = Outputs->Child(Port.Name);
        if (Element == nullptr)
            continue;
        const auto Found = Port.List->findItems(Element->Text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (!Found.isEmpty())
            CheckPortEntry(Port.List, Port.List->row(Found.first()));
    }
    const int Mask = TextToInt(Outputs->Child("SMFMask"), -1); // missing or not a number: -1
    if (Mask >= 0 && Mask < 65536)
        SetChannelMask(static_cast<uint16_t>(Mask));
}

TXmlDocument TfrmSetup::BuildDocument() const
{
    TXmlDocument Document;
    Document.Comments = {"Do not remove comment lines! Nie usuwaj komentarzy", ProductName,
        QString("Version: ") + ProductVersion, QString("E-mail: ") + ContactAddress};
    Document.Root.Name = "Settings";
    TXmlElement& Window = Document.Root.Add("WindowSettings");
    const QRect Outer = FMain->frameGeometry();
    Window.Add("MainWindowLeft", QString::number(Outer.left()));
    Window.Add("MainWindowTop", QString::number(Outer.top()));
    Window.Add("MainWindowWidth", QString::number(Outer.width()));
    Window.Add("MainWindowHeight", QString::number(Outer.height()));
    Window.Add("LastOpenFolder", FMain->FLastOpenFolder);
    Window.Add("LastSaveFolder", FMain->FLastSaveFolder);
    Window.Add("Auto", FMain->chkAuto->isChecked() ? "-1" : "0");
    Window.Add("Random", FMain->chkRandom->isChecked() ? "-1" : "0");
    Window.Add("Repeat", FMain->chkRepeat->isChecked() ? "-1" : "0");
    TXmlElement& Midi = Document.Root.Add("MIDISettings");
    TXmlElement& Inputs = Midi.Add("MIDIInputs");
    for (int I = 0; I < lbInputs->count(); ++I)
        if (InputActive(I))
            Inputs.Add("MIDIInput", lbInputs->item(I)->text());
    TXmlElement& Outputs = Midi.Add("MIDIOutputs");
    Outputs.Add("PortAIndex", CheckedCaption(lbOutputsA));
    Outputs.Add("PortBIndex", CheckedCaption(lbOutputsB));
    Outputs.Add("SMFMask", QString::number(FChannelMask));
    return Document;
}

void TfrmSetup::SaveSettings()
{
    try {
        const QByteArray Bytes = WriteXmlDocument(BuildDocument());
        const QString Folder = QFileInfo(SettingsFileName()).path();
        if (!QDir().mkpath(Folder))
            throw Exception(("Nie można utworzyć pliku w folderze:\r\n" + Folder).toStdString());
        // Written beside the old file and renamed over it, so a failure never destroys it.
        QSaveFile File(SettingsFileName());
        if (!File.open(QIODevice::WriteOnly | QIODevice::Unbuffered) || File.write(Bytes) != Bytes.size() || !File.commit())
            throw Exception(File.errorString().toStdString());
    } catch (const std::exception& Error) {
        MsgBox({"Podczas zapisu ustawień wystąpił błąd:", QString::fromUtf8(Error.what())}, "Zapis ustawień", mbIconError);
    }
}
