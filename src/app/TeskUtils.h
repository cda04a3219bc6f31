// Services the windows and the controller share: the error box with its
// in-memory log, the user's folders, the mail link and song durations.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Style flags of MsgBox, as the callers pass them.
constexpr int mbIconError = 16;

// Fixed settings of the log.
constexpr bool SaveLog = false;
constexpr bool ShowErrors = true;
constexpr int MaxLogLines = 16384;

// Shows the box; returns the button pressed. Tests replace it so that no modal box blocks them.
using TMsgBoxPresenter = std::function<int(const QString& Text, const QString& Caption, int Flags)>;
void SetMsgBoxPresenter(TMsgBoxPresenter Presenter);

// Shows Lines (joined by CR LF) in a modal box and appends them, time-stamped, to the log.
int MsgBox(const QStringList& Lines, const QString& Caption, int Flags);

// The in-memory log: an entry and a separator per message.
QStringList& LogList();
// The log file beside the executable.
QString LogFileName();
// Reads the log file into the log, one item per line, if it exists.
void LoadLogList();
void SaveLogList();

// CSIDL 5: the documents folder; 26: the application-data folder. No trailing slash.
QString GetSpecialFolder(int CSIDL);
QString GetMyDocumentsFolder();
QString GetAppDataFolder();

// "mailto:" + Address + "?subject=" + Subject, nothing percent-encoded.
QString MailToLink(const QString& Subject, const QString& Address);
void MailTo(const QString& Subject, const QString& Address);

// Playing time of a song in ms: the time of its last channel event under its
// tempo map; 0 when the file cannot be loaded.
int GetMediaLength(const QString& FileName);
