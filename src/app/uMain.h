// The main window: the sequencer chain's components, the transport panel, the
// playlist, the continuation from one song to the next, dropped files and the
// command line.
#pragma once

#include "platform/Component.h"

#include <QListWidget>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <unordered_map>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QPushButton;
class QThreadPool;
class QToolButton;
class TfrmSetup;
class TMidiData;
class TMidiInput;
class TMidiOutputPort;
class TMidiPlayer;
class TPlayer;
class TPositionBar;
class TTrackOutputs;

// One playlist entry.
class TItem {
public:
    uint32_t Duration = 0; // ms; 0 until measured
    QString FileName;
    bool Played = false;
    uint64_t Serial = 0; // identifies the entry to its duration task

    QString DisplayName() const;
    QString DurationText() const;
};

// A row of the playlist, owning its entry.
class TItemRow : public QListWidgetItem {
public:
    explicit TItemRow(const QString& FileName);
    TItem Item;
};

// Messages the window posts to itself.
enum TWindowMessage { WM_LOADPARAMS = 0x0500, WM_PLAYNEXT, WM_PLAY, WM_STOP, WM_PLAYPREV };

class TfrmMain : public QWidget {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* Parent = nullptr);
    ~TfrmMain() override;

    // The sequencer chain, owned through FComponents.
    TComponent FComponents{nullptr};
    TMidiInput* MidiInput;
    TMidiOutputPort* midiPortA;
    TMidiOutputPort* midiPortB;
    TMidiData* MidiData;
    TTrackOutputs* TrackOutputs;
    TMidiPlayer* MidiPlayer;

    TfrmSetup* frmSetup() const { return FSetup; }
    TPlayer* Player() const { return FPlayer; }

    // Controls.
    QListWidget* lbFiles;
    QCheckBox* chkAuto;
    QCheckBox* chkRandom;
    QCheckBox* chkRepeat;
    TPositionBar* progBar;
    QWidget* pnlTransport;
    QToolButton* btnSetup;
    QToolButton* btnStop;
    QToolButton* btnFirst;
    QToolButton* btnPlay;
    QToolButton* btnNext;
    QToolButton* btnAbout;
    QToolButton* btnOpenPlayList;
    QToolButton* btnsave;
    QToolButton* btnAddFile;
    QToolButton* btnRemoveFile;
    QPushButton* pnlPlayListCaption;
    QMenu* pmnFiles;

    QAction* acPlay;
    QAction* acPause;
    QAction* acStop;
    QAction* acPrevious;
    QAction* acNext;
    QAction* acSetup;
    QAction* acAbout;
    QAction* acAddFile;
    QAction* acRemoveFile;
    QAction* acClearList;
    QAction* acSave;
    QAction* acOpenPlayList;

    int32_t CurrentIndex() const { return FCurrentIndex; }
    int32_t NextIndex() const { return FNextIndex; }
    int32_t PrevIndex() const { return FPrevIndex; }
    bool ForceNext() const { return FForceNext; }
    QString FLastOpenFolder;
    QString FLastSaveFolder;

    TItem* Items(int Row) const;
    QString PlayListName() const;
    void SetPlayListName(const QString& Value);

    // Playlist.
    void AddFiles(const QStringList& Paths, bool AutoPlay);
    void AddFile(const QString& Path);
    void LoadPlayList(const QString& Path);
    void OpenFiles(const QStringList& Paths);
    void DeleteItem(int Row);
    void ClearList();
    void SavePlayList(const QString& Path);
    void Shuffle();

    // Transport.
    void UpdateNextPrev();
    void ActionList1Update();
    void acPlayExecute();
    void acPauseExecute();
    void acStopExecute();
    void acNextExecute();
    void acPreviousExecute();
    void acSetupExecute();
    void acAboutExecute();
    void acAddFileExecute();
    void acOpenPlayListExecute();
    void acRemoveFileExecute();
    void acSaveExecute();
    void lbFilesDblClick();
    void SeekToX(int X);
    void DropFiles(const QStringList& Names);
    void pnlPlayListCaptionClick();

    // The window's own message queue: posted work runs on the event loop, or at
    // once through ProcessMessages.
    void PostMessage(TWindowMessage Message);
    void ProcessMessages();

    // A duration result for the entry with that serial number.
    void WMSongLength(uint64_t Serial, int Milliseconds);
    // Waits until every duration task has reported (tests and benchmarks).
    void WaitForDurations();

    // Loads the pictures called Name, Name+"H" and Name+"D" into a button.
    void LoadButtonPictures(QToolButton* Button, const QString& Name);

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void BuildActions();
    void BuildTransport();
    QWidget* BuildPlayList();
    void pnlTransportResize();
    void Dispatch(TWindowMessage Message);
    void WMLoadParams();
    void WMPlay();
    void WMPlayNext();
    void WMPlayPrev();
    void SelectRow(int Row);
    void BindPlayButton(QAction* Action, const QString& Pictures);
    void PlayerStarted();
    void PlayerPaused();
    void PlayerStopped();
    void PlayerPositionChanged(int32_t Position);
    void ConnectPlayerEvents();
    void StartDurationTask(const TItem& Item);
    void ClearPlayedMarks();
    // A uniformly drawn integer from 0 to Count - 1; 0 when Count is 0.
    int RandomBelow(int Count);

    TfrmSetup* FSetup = nullptr;
    TPlayer* FPlayer = nullptr;
    int32_t FCurrentIndex = -1;
    int32_t FNextIndex = -1;
    int32_t FPrevIndex = -1;
    bool FForceNext = false;
    bool FPreviousRequested = false; // only Previous goes back; a song's end never does
    bool FShown = false;
    bool FClosing = false;
    std::deque<TWindowMessage> FMessages;
    QThreadPool* FDurationPool;
    uint64_t FNextSerial = 1;
    std::unordered_map<uint64_t, TItemRow*> FRowsBySerial;
    std::mt19937 FRandom{static_cast<std::mt19937::result_type>(std::random_device{}())};
    QLabel* FStatus;
};
