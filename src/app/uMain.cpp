#include "uMain.h"

#include "TeskUtils.h"
#include "cmpMidiData.h"
#include "cmpMidiInput.h"
#include "cmpMidiOutput.h"
#include "cmpMidiPlayer.h"
#include "cmpTrackOutputs.h"
#include "platform/ProfileFile.h"
#include "uAbout.h"
#include "uMIDIPlayer.h"
#include "uNameInput.h"
#include "uPictures.h"
#include "uPlayListView.h"
#include "uSetup.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

const char* const DefaultPlayListName = "Bieżąca lista odtwarzania";

QString UpperExtension(const QString& Path)
{
    const QString Name = QFileInfo(Path).fileName();
    const qsizetype Dot = Name.lastIndexOf('.');
    return Dot < 0 ? QString() : Name.mid(Dot).toUpper();
}

bool IsSongExtension(const QString& Extension) { return Extension == ".MID" || Extension == ".KAR" || Extension == ".RMI"; }

QToolButton* PictureButton(QWidget* Parent, const QString& Name, QAction* Action, int Size)
{
    auto* Button = new QToolButton(Parent);
    Button->setObjectName(Name);
    Button->setDefaultAction(Action);
    Button->setCursor(Qt::PointingHandCursor);
    Button->setFixedSize(Size, Size);
    Button->setIconSize(QSize(Size, Size));
    Button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    return Button;
}

} // namespace

// --- TItem ---

QString TItem::DisplayName() const { return QFileInfo(FileName).completeBaseName(); }

QString TItem::DurationText() const
{
    const auto Seconds = static_cast<int64_t>(std::nearbyint(Duration / 1000.0)); // halves to even
    return QString::asprintf("%2.2lld:%2.2lld:%2.2lld", static_cast<long long>(Seconds / 3600),
        static_cast<long long>(Seconds % 3600 / 60), static_cast<long long>(Seconds % 60));
}

TItemRow::TItemRow(const QString& FileName)
{
    Item.FileName = FileName;
    setText(Item.DisplayName());
}

// --- TfrmMain ---

TfrmMain::TfrmMain(QWidget* Parent) : QWidget(Parent)
{
    setObjectName("frmMain");
    MidiInput = new TMidiInput(&FComponents);
    MidiInput->SetEchoPort(VirtualPortId);
    MidiInput->SetStepMode(true);
    MidiInput->SetChannelOverride(-1);
    midiPortA = new TMidiOutputPort(&FComponents);
    midiPortA->SetPortId(DefaultPortId);
    midiPortB = new TMidiOutputPort(&FComponents);
    midiPortB->SetPortId(DefaultPortId);
    MidiData = new TMidiData(&FComponents);
    TrackOutputs = new TTrackOutputs(&FComponents);
    TrackOutputs->SetDefaultOutputPort(VirtualPortId);
    TrackOutputs->SetMidiData(MidiData);
    MidiPlayer = new TMidiPlayer(&FComponents);
    MidiPlayer->SetTimerPeriod(1);
    MidiPlayer->SetTimerResolution(4);
    MidiPlayer->SetTrackOutputs(TrackOutputs);
    MidiPlayer->SetBoostPriority(true);

    FDurationPool = new QThreadPool(this);
    FDurationPool->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));

    setAcceptDrops(true);
    setWindowIcon(QIcon(NamedPicture("Bivoxa", 64)));
    BuildActions();
    auto* Layout = new QVBoxLayout(this);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    Layout->addWidget(BuildPlayList(), 1);
    BuildTransport();
    Layout->addWidget(pnlTransport);
    for (auto [Button, Name] : {std::pair{btnPlay, "Play"}, {btnFirst, "First"}, {btnNext, "Next"}, {btnStop, "Stop"},
             {btnSetup, "Setup"}, {btnAbout, "About"}, {btnAddFile, "AddFile"}, {btnRemoveFile, "RemoveFile"},
             {btnOpenPlayList, "OpenPlayList"}, {btnsave, "Save"}})
        LoadButtonPictures(Button, Name);
    acPause->setIcon(ButtonIcon("Pause", 48));

    setWindowTitle("Bivoxa OEM");
    setMinimumSize(350, 335);
    resize(353, 301);
    FCurrentIndex = FNextIndex = FPrevIndex = -1;
    lbFiles->clear();
    FLastOpenFolder = FLastSaveFolder = GetMyDocumentsFolder();
    FSetup = new TfrmSetup(this);
    FPlayer = new TPlayer(this);

    auto* Idle = new QTimer(this);
    connect(Idle, &QTimer::timeout, this, &TfrmMain::ActionList1Update);
    Idle->start(100);
    ActionList1Update();
}

TfrmMain::~TfrmMain()
{
    FClosing = true;
    FDurationPool->clear();
    FDurationPool->waitForDone();
    delete FPlayer;
    FPlayer = nullptr;
    ClearList();
    delete FSetup;
    FSetup = nullptr;
}

void TfrmMain::BuildActions()
{
    const struct {
        QAction** Action;
        const char* Name;
        const char* Caption;
        const char* Hint;
        QKeySequence Shortcut;
        void (TfrmMain::*Execute)();
    } Actions[] = {
        {&acPlay, "acPlay", "Odtwarzaj", "Odtwarza wybrane nagranie", {}, &TfrmMain::acPlayExecute},
        {&acPause, "acPause", "", "Pauza", {}, &TfrmMain::acPauseExecute},
        {&acStop, "acStop", "Zatrzymaj", "Zatrzymuje odtwarzanie", {}, &TfrmMain::acStopExecute},
        {&acPrevious, "acPrevious", "", "Poprzedni utwór z playlisty", {}, &TfrmMain::acPreviousExecute},
        {&acNext, "acNext", "", "Następny utwór z playlisty", {}, &TfrmMain::acNextExecute},
        {&acSetup, "acSetup", "", "Ustawienia programu", {}, &TfrmMain::acSetupExecute},
        {&acAbout, "acAbout", "?", "O programie...", QKeySequence(Qt::Key_F1), &TfrmMain::acAboutExecute},
        {&acAddFile, "acAddFile", "Dodaj do playlisty", "Dodaje pliki do bieżącej playlisty", QKeySequence("Ctrl+O"),
            &TfrmMain::acAddFileExecute},
        {&acRemoveFile, "acRemoveFile", "Usuń z playlisty", "Usuwa wybrane pliki z playlisty", QKeySequence(Qt::Key_Delete),
            &TfrmMain::acRemoveFileExecute},
        {&acClearList, "acClearList", "Usuń wszystkie", "Usuwa wszystkie nagrania z playlisty", QKeySequence("Ctrl+Del"),
            &TfrmMain::ClearList},
        {&acSave, "acSave", "Zapisz playlistę", "Zapisuje bieżącą playlistę", QKeySequence("Ctrl+S"), &TfrmMain::acSaveExecute},
        {&acOpenPlayList, "acOpenPlayList", "Wczytaj playlistę", "Wczytuje playlistę", QKeySequence("Ctrl+Shift+O"),
            &TfrmMain::acOpenPlayListExecute},
    };
    for (const auto& Entry : Actions) {
        auto* Action = new QAction(Entry.Caption, this);
        Action->setObjectName(Entry.Name);
        Action->setToolTip(Entry.Hint);
        Action->setShortcut(Entry.Shortcut);
        Action->setShortcutContext(Qt::WindowShortcut);
        connect(Action, &QAction::triggered, this, Entry.Execute);
        addAction(Action);
        *Entry.Action = Action;
    }
}

QWidget* TfrmMain::BuildPlayList()
{
    auto* Panel = new QWidget(this);
    Panel->setObjectName("pnlPlayList");
    Panel->setMinimumSize(160, 200);
    auto* Layout = new QVBoxLayout(Panel);
    Layout->setContentsMargins(0, 0, 0, 0);
    Layout->setSpacing(0);
    pnlPlayListCaption = new QPushButton(DefaultPlayListName, Panel);
    pnlPlayListCaption->setObjectName("pnlPlayListCaption");
    pnlPlayListCaption->setCursor(Qt::PointingHandCursor);
    connect(pnlPlayListCaption, &QPushButton::clicked, this, &TfrmMain::pnlPlayListCaptionClick);
    Layout->addWidget(pnlPlayListCaption);

    auto* Middle = new QHBoxLayout;
    Middle->setContentsMargins(4, 4, 4, 4);
    auto* Column = new QVBoxLayout;
    btnOpenPlayList = PictureButton(Panel, "btnOpenPlayList", acOpenPlayList, 32);
    btnsave = PictureButton(Panel, "btnsave", acSave, 32);
    btnAddFile = PictureButton(Panel, "btnAddFile", acAddFile, 32);
    btnRemoveFile = PictureButton(Panel, "btnRemoveFile", acRemoveFile, 32);
    for (QToolButton* Button : {btnOpenPlayList, btnsave, btnAddFile, btnRemoveFile})
        Column->addWidget(Button);
    Column->addStretch();
    Middle->addLayout(Column);
    lbFiles = new TPlayListView(this, Panel);
    lbFiles->setObjectName("lbFiles");
    lbFiles->setToolTip("Lista plików");
    connect(lbFiles, &QListWidget::itemDoubleClicked, this, &TfrmMain::lbFilesDblClick);
    Middle->addWidget(lbFiles, 1);
    Layout->addLayout(Middle, 1);

    pmnFiles = new QMenu(lbFiles);
    pmnFiles->addActions({acAddFile, acRemoveFile, acClearList});
    pmnFiles->addSeparator();
    pmnFiles->addActions({acSave, acOpenPlayList});
    pmnFiles->addSeparator();
    pmnFiles->addActions({acPlay, acStop});
    lbFiles->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lbFiles, &QWidget::customContextMenuRequested, this,
        [this](const QPoint& Where) { pmnFiles->popup(lbFiles->viewport()->mapToGlobal(Where)); });

    auto* Boxes = new QHBoxLayout;
    Boxes->setContentsMargins(44, 0, 4, 4);
    chkAuto = new QCheckBox("Autostart", Panel);
    chkRandom = new QCheckBox("Losowo", Panel);
    chkRepeat = new QCheckBox("Powtarzaj", Panel);
    for (QCheckBox* Box : {chkAuto, chkRandom, chkRepeat})
        Boxes->addWidget(Box);
    Boxes->addStretch();
    connect(chkAuto, &QCheckBox::clicked, this, &TfrmMain::UpdateNextPrev);
    connect(chkRepeat, &QCheckBox::clicked, this, &TfrmMain::UpdateNextPrev);
    connect(chkRandom, &QCheckBox::clicked, this, [this] {
        if (chkRandom->isChecked())
            Shuffle();
    });
    Layout->addLayout(Boxes);
    FStatus = new QLabel(Panel);
    FStatus->setObjectName("lblStatus");
    Layout->addWidget(FStatus);
    return Panel;
}

void TfrmMain::BuildTransport()
{
    pnlTransport = new QWidget(this);
    pnlTransport->setObjectName("pnlTransport");
    pnlTransport->setFixedHeight(68);
    progBar = new TPositionBar(pnlTransport);
    progBar->setObjectName("progBar");
    progBar->setToolTip("Pozycja utworu - kliknij, aby zmienić");
    progBar->setCursor(Qt::PointingHandCursor);
    progBar->setTextVisible(false);
    progBar->setRange(0, 100);
    progBar->setValue(0);
    progBar->OnClick = [this](int X) { SeekToX(X); };
    btnSetup = PictureButton(pnlTransport, "btnSetup", acSetup, 32);
    btnStop = PictureButton(pnlTransport, "btnStop", acStop, 32);
    btnFirst = PictureButton(pnlTransport, "btnFirst", acPrevious, 32);
    btnPlay = PictureButton(pnlTransport, "btnPlay", acPlay, 48);
    btnNext = PictureButton(pnlTransport, "btnNext", acNext, 32);
    btnAbout = PictureButton(pnlTransport, "btnAbout", acAbout, 32);
    btnSetup->move(16, 26);
}

// Keeps the transport buttons centred on the panel.
void TfrmMain::pnlTransportResize()
{
    const int W = pnlTransport->width();
    progBar->setGeometry(0, 0, W, 12);
    const int Top = 16;
    btnPlay->move(W / 2, Top);
    btnNext->move(btnPlay->x() + btnPlay->width() + btnNext->width() / 2, Top + 8);
    btnFirst->move(btnPlay->x() - btnFirst->width() - btnFirst->width() / 2, Top + 8);
    btnStop->move(btnFirst->x() - btnStop->width() - btnStop->width() / 2, Top + 8);
    btnAbout->move(W - static_cast<int>(1.5 * btnAbout->width()), Top + 8);
}

void TfrmMain::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    pnlTransportResize();
}

void TfrmMain::LoadButtonPictures(QToolButton* Button, const QString& Name)
{
    Button->defaultAction()->setIcon(ButtonIcon(Name, Button->width()));
}

void TfrmMain::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    pnlTransportResize();
    if (FShown)
        return;
    FShown = true;
    FPlayer->ApplySettings();
    ConnectPlayerEvents();
    PostMessage(WM_LOADPARAMS);
}

void TfrmMain::ConnectPlayerEvents()
{
    FPlayer->OnPlay = [this](void*) { PlayerStarted(); };
    FPlayer->OnPause = [this](void*) { PlayerPaused(); };
    FPlayer->OnStop = [this](void*) { PlayerStopped(); };
    FPlayer->OnPosition = [this](void*, int32_t Position) { PlayerPositionChanged(Position); };
}

void TfrmMain::closeEvent(QCloseEvent* Event)
{
    // A modal window (settings, About, a file dialog) ends first; the close
    // follows once its loop has returned.
    if (QWidget* Modal = QApplication::activeModalWidget(); Modal != nullptr && Modal != this) {
        Modal->close();
        Event->ignore();
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    // Never refused: the controller goes first, releasing the devices; nothing
    // posted from here on reaches it.
    FClosing = true;
    FMessages.clear();
    delete FPlayer;
    FPlayer = nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    FCurrentIndex = -1;
    ClearList();
    Event->accept();
    delete FSetup; // writes the settings file
    FSetup = nullptr;
}

// --- Messages ---

void TfrmMain::PostMessage(TWindowMessage Message)
{
    if (FClosing)
        return;
    FMessages.push_back(Message);
    QMetaObject::invokeMethod(this, &TfrmMain::ProcessMessages, Qt::QueuedConnection);
}

void TfrmMain::ProcessMessages()
{
    while (!FMessages.empty() && !FClosing) {
        const TWindowMessage Message = FMessages.front();
        FMessages.pop_front();
        Dispatch(Message);
    }
    ActionList1Update();
}

void TfrmMain::Dispatch(TWindowMessage Message)
{
    switch (Message) {
    case WM_LOADPARAMS: WMLoadParams(); break;
    case WM_PLAYNEXT: WMPlayNext(); break;
    case WM_PLAY: WMPlay(); break;
    case WM_STOP:
        if (FPlayer != nullptr)
            FPlayer->Stop();
        break;
    case WM_PLAYPREV: WMPlayPrev(); break;
    }
}

void TfrmMain::WMLoadParams()
{
    const QStringList Arguments = QCoreApplication::arguments().mid(1);
    if (!Arguments.isEmpty())
        AddFiles(Arguments, true);
}

void TfrmMain::SelectRow(int Row)
{
    if (Row >= 0 && Row < lbFiles->count())
        lbFiles->setCurrentRow(Row);
    else
        lbFiles->setCurrentRow(-1);
}

void TfrmMain::WMPlayNext()
{
    SelectRow(FNextIndex);
    PostMessage(WM_PLAY);
}

void TfrmMain::WMPlayPrev()
{
    SelectRow(FPrevIndex);
    PostMessage(WM_PLAY);
}

void TfrmMain::WMPlay()
{
    if (FPlayer == nullptr)
        return;
    const int Row = lbFiles->currentRow();
    const bool RowSelected = Row >= 0 && lbFiles->item(Row)->isSelected();
    if (FPlayer->State() == pbReady) {
        FPlayer->Play();
    } else if (RowSelected) {
        if (FPlayer->State() == pbPlaying) {
            // Another row while a song plays: the song stops, and nothing but that row follows.
            FNextIndex = FPrevIndex = -1;
            FForceNext = false;
            FPlayer->Stop();
            FMessages.clear();
        }
        progBar->setMaximum(2147483647);
        if (FPlayer->Open(Items(Row)->FileName)) {
            FCurrentIndex = Row;
            UpdateNextPrev();
            progBar->setMaximum(std::max(1, FPlayer->SongLength()));
            progBar->setEnabled(true);
            FForceNext = false;
            FPlayer->Play();
        } else {
            FCurrentIndex = -1;
        }
    }
    lbFiles->viewport()->update();
}

// --- Controller events ---

// The big button plays or pauses: it carries one action at a time.
void TfrmMain::BindPlayButton(QAction* Action, const QString& Pictures)
{
    for (QAction* Old : btnPlay->actions())
        btnPlay->removeAction(Old);
    btnPlay->setDefaultAction(Action);
    LoadButtonPictures(btnPlay, Pictures);
}

void TfrmMain::PlayerStarted() { BindPlayButton(acPause, "Pause"); }

void TfrmMain::PlayerPaused() { BindPlayButton(acPlay, "Play"); }

void TfrmMain::PlayerPositionChanged(int32_t Position) { progBar->setValue(Position); }

void TfrmMain::PlayerStopped()
{
    BindPlayButton(acPlay, "Play");
    progBar->setEnabled(false);
    progBar->setValue(0);
    if (TItem* Current = Items(FCurrentIndex))
        Current->Played = true;
    lbFiles->viewport()->update();
    const bool Continue = chkAuto->isChecked() || chkRepeat->isChecked();
    if ((FNextIndex >= 0 && Continue) || FForceNext)
        PostMessage(WM_PLAYNEXT);
    else if (FPrevIndex >= 0 && FPreviousRequested)
        PostMessage(WM_PLAYPREV);
    FPreviousRequested = false;
}

// --- Transport ---

void TfrmMain::UpdateNextPrev()
{
    const int N = lbFiles->count();
    const int C = FCurrentIndex;
    if (chkAuto->isChecked() && chkRepeat->isChecked() && N > 0)
        FNextIndex = (C + 1) % N;
    else
        FNextIndex = C + 1 < N ? C + 1 : -1;
    if (C >= 1)
        FPrevIndex = C - 1;
    else
        FPrevIndex = chkRepeat->isChecked() ? C : -1;
}

void TfrmMain::ActionList1Update()
{
    if (FPlayer == nullptr)
        return;
    const TPlaybackState S = FPlayer->State();
    const bool RowSelected = !lbFiles->selectedItems().isEmpty();
    acRemoveFile->setEnabled(RowSelected);
    acPlay->setEnabled(RowSelected || S == pbReady);
    acSave->setEnabled(lbFiles->count() > 0);
    acPrevious->setEnabled(S != pbIdle && FPrevIndex >= 0);
    acNext->setEnabled(S != pbIdle && FNextIndex >= 0);
    acStop->setEnabled(S != pbIdle);
    acPause->setEnabled(S == pbPlaying);
    progBar->setEnabled(S != pbIdle);
    acSetup->setEnabled(S == pbIdle);
    FStatus->setText(QString("%1 %2").arg(lbFiles->count()).arg(lbFiles->count() == 1 ? "utwór" : "utworów"));
}

void TfrmMain::acPlayExecute() { PostMessage(WM_PLAY); }

void TfrmMain::acPauseExecute()
{
    if (FPlayer != nullptr)
        FPlayer->Pause();
}

void TfrmMain::acStopExecute()
{
    FNextIndex = -1;
    FPrevIndex = -1;
    PostMessage(WM_STOP);
    ProcessMessages();
    ClearPlayedMarks();
    lbFiles->viewport()->update();
}

void TfrmMain::ClearPlayedMarks()
{
    for (int Row = 0; Row < lbFiles->count(); ++Row)
        Items(Row)->Played = false;
}

void TfrmMain::acNextExecute()
{
    FPrevIndex = -1;
    if (!chkAuto->isChecked() && !chkRepeat->isChecked())
        FForceNext = true;
    PostMessage(WM_STOP);
    ProcessMessages();
}

void TfrmMain::acPreviousExecute()
{
    FNextIndex = -1;
    FPreviousRequested = true;
    PostMessage(WM_STOP);
    ProcessMessages();
}

void TfrmMain::lbFilesDblClick()
{
    const int Row = lbFiles->currentRow();
    if (Row < 0 || FPlayer == nullptr)
        return;
    FPrevIndex = -1;
    FNextIndex = Row;
    FForceNext = true;
    PostMessage(FPlayer->State() == pbIdle ? WM_PLAY : WM_STOP);
}

void TfrmMain::SeekToX(int X)
{
    if (FPlayer == nullptr || FPlayer->State() == pbIdle)
        return;
    auto Report = std::move(FPlayer->OnPosition);
    FPlayer->OnPosition = nullptr;
    const double Position = static_cast<double>(X) * progBar->maximum() / std::max(1, progBar->width());
    progBar->setValue(static_cast<int>(std::nearbyint(Position)));
    FPlayer->Seek(static_cast<int32_t>(std::nearbyint(Position)));
    FPlayer->OnPosition = std::move(Report);
}

void TfrmMain::acSetupExecute()
{
    if (FSetup->exec() == QDialog::Accepted)
        FPlayer->ApplySettings();
    else
        FSetup->LoadSettings();
}

void TfrmMain::acAboutExecute()
{
    TfrmAbout About(this);
    About.exec();
}

// --- Dropped files ---

void TfrmMain::dragEnterEvent(QDragEnterEvent* Event)
{
    if (Event->mimeData()->hasUrls())
        Event->acceptProposedAction();
}

void TfrmMain::dropEvent(QDropEvent* Event)
{
    QStringList Names;
    for (const QUrl& Url : Event->mimeData()->urls())
        if (Url.isLocalFile())
            Names.append(Url.toLocalFile());
    DropFiles(Names);
    Event->acceptProposedAction();
}

void TfrmMain::DropFiles(const QStringList& Names)
{
    QStringList Kept;
    for (const QString& Name : Names) {
        const QString Extension = UpperExtension(Name);
        if (Extension == ".DPP" || IsSongExtension(Extension))
            Kept.append(Name);
    }
    if (!Kept.isEmpty())
        AddFiles(Kept, false);
}

// --- Playlist ---

TItem* TfrmMain::Items(int Row) const
{
    auto* Entry = dynamic_cast<TItemRow*>(lbFiles->item(Row));
    return Entry != nullptr ? &Entry->Item : nullptr;
}

QString TfrmMain::PlayListName() const { return pnlPlayListCaption->text(); }

void TfrmMain::SetPlayListName(const QString& Value) { pnlPlayListCaption->setText(Value); }

void TfrmMain::AddFiles(const QStringList& Paths, bool AutoPlay)
{
    const int S = lbFiles->currentRow() >= 0 && lbFiles->currentItem()->isSelected() ? lbFiles->currentRow() : -1;
    const int C = lbFiles->count();
    chkRandom->setChecked(false);
    for (const QString& Path : Paths)
        if (UpperExtension(Path) == ".DPP")
            LoadPlayList(Path);
    for (const QString& Path : Paths)
        if (IsSongExtension(UpperExtension(Path)))
            AddFile(Path);
    lbFiles->viewport()->update();
    const int N = lbFiles->count();
    if ((chkAuto->isChecked() || AutoPlay) && FPlayer != nullptr && FPlayer->State() == pbIdle && N > S + 1 && N > C) {
        SelectRow(S + 1);
        PostMessage(WM_PLAY);
    }
    if (N > 0) {
        if (lbFiles->selectedItems().isEmpty())
            SelectRow(0);
        lbFiles->setFocus();
    }
}

void TfrmMain::AddFile(const QString& Path)
{
    if (!QFileInfo(Path).isFile())
        return;
    auto* Row = new TItemRow(Path);
    Row->Item.Serial = FNextSerial++;
    FRowsBySerial[Row->Item.Serial] = Row;
    lbFiles->addItem(Row);
    StartDurationTask(Row->Item);
}

void TfrmMain::LoadPlayList(const QString& Path)
{
    if (!QFileInfo(Path).isFile())
        return;
    const TProfileFile PlayList(Path.toStdString());
    SetPlayListName(QString::fromStdString(PlayList.ReadString("PlayList", "Name", DefaultPlayListName)));
    for (const std::string& Key : PlayList.ReadKeys("Files"))
        AddFile(QString::fromStdString(PlayList.ReadString("Files", Key, "")));
}

void TfrmMain::OpenFiles(const QStringList& Paths)
{
    ClearList();
    AddFiles(Paths, false);
}

void TfrmMain::DeleteItem(int Row)
{
    if (Row == FCurrentIndex)
        acStopExecute();
    ProcessMessages();
    auto* Taken = static_cast<TItemRow*>(lbFiles->takeItem(Row));
    FRowsBySerial.erase(Taken->Item.Serial);
    delete Taken;
    if (Row == FCurrentIndex)
        FCurrentIndex = -1; // no other row may look current
}

void TfrmMain::ClearList()
{
    while (lbFiles->count() > 0)
        DeleteItem(lbFiles->count() - 1);
}

void TfrmMain::acRemoveFileExecute()
{
    const int Row = lbFiles->currentRow();
    if (Row < 0)
        return;
    DeleteItem(Row);
    if (Row < FCurrentIndex && FCurrentIndex >= 0)
        --FCurrentIndex;
}

void TfrmMain::SavePlayList(const QString& Path)
{
    try {
        TProfileFile PlayList(Path.toStdString());
        PlayList.WriteString("PlayList", "Name", PlayListName().toStdString());
        PlayList.EraseSection("Files");
        for (int Row = 0; Row < lbFiles->count(); ++Row)
            PlayList.WriteString("Files", "Item" + std::to_string(Row), Items(Row)->FileName.toStdString());
        PlayList.Save();
    } catch (const std::exception& Error) {
        MsgBox({QString::fromUtf8(Error.what())}, "Bivoxa", mbIconError);
    }
}

namespace {

// A file dialog starting in Folder (or the home folder when that has gone) with no file name.
QFileDialog* FileDialog(QWidget* Parent, const QString& Title, const QString& Folder, const QStringList& Filters)
{
    auto* Dialog = new QFileDialog(Parent, Title);
    Dialog->setOption(QFileDialog::HideNameFilterDetails); // the patterns Qt needs are not shown
    Dialog->setNameFilters(Filters);
    Dialog->setDirectory(QDir(Folder).exists() ? Folder : QDir::homePath());
    Dialog->selectFile(QString());
    return Dialog;
}

QFileDialog* OpenDialog(QWidget* Parent, const QString& Folder, int Filter)
{
    static const QStringList Filters = {"Pliki Playera (*.mid *.kar *.rmi *.dpp)", "Pliki MIDI (*.mid; *.kar;*.rmi) (*.mid *.kar *.rmi)",
        "Pliki SMF (*.mid) (*.mid)", "Pliki karaoke (*.kar) (*.kar)", "Pliki RMI (*.rmi) (*.rmi)", "Playlisty (*.dpp) (*.dpp)",
        "Wszystkie pliki (*.*) (*)"};
    QFileDialog* Dialog = FileDialog(Parent, "Otwórz...", Folder, Filters);
    Dialog->setFileMode(QFileDialog::ExistingFiles);
    Dialog->selectNameFilter(Filters[Filter - 1]);
    Dialog->setDefaultSuffix("mid");
    return Dialog;
}

} // namespace

void TfrmMain::acAddFileExecute()
{
    std::unique_ptr<QFileDialog> Dialog(OpenDialog(this, FLastOpenFolder, 2));
    if (Dialog->exec() != QDialog::Accepted || Dialog->selectedFiles().isEmpty())
        return;
    FLastOpenFolder = QFileInfo(Dialog->selectedFiles().first()).path();
    AddFiles(Dialog->selectedFiles(), false);
}

void TfrmMain::acOpenPlayListExecute()
{
    std::unique_ptr<QFileDialog> Dialog(OpenDialog(this, FLastOpenFolder, 6));
    if (Dialog->exec() != QDialog::Accepted || Dialog->selectedFiles().isEmpty())
        return;
    FLastOpenFolder = QFileInfo(Dialog->selectedFiles().first()).path();
    OpenFiles(Dialog->selectedFiles());
}

void TfrmMain::acSaveExecute()
{
    std::unique_ptr<QFileDialog> Dialog(FileDialog(this, "Zapisz bieżącą playlistę", FLastSaveFolder,
        {"Playlisty (*.dpp) (*.dpp)", "Wszystkie pliki (*.*) (*)"}));
    Dialog->setAcceptMode(QFileDialog::AcceptSave); // asks before overwriting
    Dialog->setDefaultSuffix("dpp");
    if (Dialog->exec() != QDialog::Accepted || Dialog->selectedFiles().isEmpty())
        return;
    const QString Path = Dialog->selectedFiles().first();
    FLastSaveFolder = QFileInfo(Path).path();
    SavePlayList(Path);
}

void TfrmMain::Shuffle()
{
    const int N = lbFiles->count();
    lbFiles->setUpdatesEnabled(false);
    const auto Move = [this](int From, int To) {
        QListWidgetItem* Row = lbFiles->takeItem(From);
        lbFiles->insertItem(To, Row);
    };
    if (FCurrentIndex >= 0 && FCurrentIndex < N) {
        Move(FCurrentIndex, 0);
        SelectRow(0);
        FCurrentIndex = 0;
        for (int I = 1; I < N; ++I)
            Move(I, RandomBelow(N - 2) + 1);
    } else {
        for (int I = 0; I < N; ++I)
            Move(I, RandomBelow(N - 1));
    }
    lbFiles->setUpdatesEnabled(true);
    UpdateNextPrev();
}

int TfrmMain::RandomBelow(int Count)
{
    if (Count <= 0)
        return 0;
    return std::uniform_int_distribution<int>(0, Count - 1)(FRandom);
}

void TfrmMain::pnlPlayListCaptionClick()
{
    TfrmNameInput Dialog(this);
    Dialog.edName->setText(PlayListName());
    if (Dialog.exec() == QDialog::Accepted)
        SetPlayListName(Dialog.edName->text());
}

// --- Durations ---

void TfrmMain::StartDurationTask(const TItem& Item)
{
    const uint64_t Serial = Item.Serial;
    const QString FileName = Item.FileName;
    FDurationPool->start([this, Serial, FileName] {
        const int Milliseconds = GetMediaLength(FileName);
        QMetaObject::invokeMethod(this, [this, Serial, Milliseconds] { WMSongLength(Serial, Milliseconds); },
            Qt::QueuedConnection);
    });
}

// A result for an entry deleted meanwhile finds no row and is dropped.
void TfrmMain::WMSongLength(uint64_t Serial, int Milliseconds)
{
    const auto Found = FRowsBySerial.find(Serial);
    if (Found == FRowsBySerial.end())
        return;
    Found->second->Item.Duration = static_cast<uint32_t>(Milliseconds);
    lbFiles->viewport()->update(lbFiles->visualItemRect(Found->second));
}

void TfrmMain::WaitForDurations()
{
    FDurationPool->waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
