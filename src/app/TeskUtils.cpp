#include "TeskUtils.h"

#include "cmpMidiData.h"
#include "cmpMidiIterator.h"
#include "platform/Cp1250.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QMessageBox>
#include <QStandardPaths>
#include <QUrl>

namespace {

int ShowMessageBox(const QString& Text, const QString& Caption, int Flags)
{
    const QMessageBox::Icon Icon = (Flags & 0xF0) == mbIconError ? QMessageBox::Critical : QMessageBox::Information;
    QMessageBox Box(Icon, Caption, Text, QMessageBox::Ok);
    return Box.exec() == QMessageBox::Ok ? 1 : 0;
}

TMsgBoxPresenter& Presenter()
{
    static TMsgBoxPresenter Current = ShowMessageBox;
    return Current;
}

QString TimeStamp(const QDateTime& Now)
{
    const QLocale Locale = QLocale::system();
    QString Stamp = Locale.toString(Now.date(), QLocale::ShortFormat);
    if (Now.time() != QTime(0, 0))
        Stamp += " " + Locale.toString(Now.time(), QLocale::LongFormat);
    return Stamp;
}

} // namespace

void SetMsgBoxPresenter(TMsgBoxPresenter Value) { Presenter() = Value ? std::move(Value) : ShowMessageBox; }

QStringList& LogList()
{
    static QStringList List;
    return List;
}

int MsgBox(const QStringList& Lines, const QString& Caption, int Flags)
{
    const QString Text = Lines.join("\r\n");
    LogList().append(TimeStamp(QDateTime::currentDateTime()) + " : " + Text);
    LogList().append(QString(37, '='));
    while (LogList().size() > MaxLogLines)
        LogList().removeFirst();
    if (SaveLog && Flags == mbIconError)
        SaveLogList();
    if (!ShowErrors && Flags == mbIconError)
        return 0;
    return Presenter()(Text, Caption, Flags);
}

QString LogFileName()
{
    const QFileInfo Program(QCoreApplication::applicationFilePath());
    return Program.path() + "/" + Program.completeBaseName() + ".log";
}

void LoadLogList()
{
    QFile File(LogFileName());
    if (!File.open(QIODevice::ReadOnly))
        return; // missing or unreadable: the log starts empty
    const std::string Bytes = File.readAll().toStdString();
    const QString Text = QString::fromStdString(IsValidUtf8(Bytes) ? Bytes : Cp1250ToUtf8(Bytes));
    for (QString Line : Text.split('\n')) {
        if (Line.endsWith('\r'))
            Line.chop(1);
        LogList().append(Line);
    }
    if (!LogList().isEmpty() && LogList().last().isEmpty())
        LogList().removeLast(); // the line end of the last item
}

void SaveLogList()
{
    QFile File(LogFileName());
    if (File.open(QIODevice::WriteOnly | QIODevice::Truncate))
        for (const QString& Item : LogList())
            File.write((Item + "\r\n").toUtf8());
}

QString GetSpecialFolder(int CSIDL)
{
    QString Folder;
    if (CSIDL == 5) {
        Folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    } else if (CSIDL == 26) {
        Folder = qEnvironmentVariable("XDG_CONFIG_HOME");
        if (Folder.isEmpty() || !QDir::isAbsolutePath(Folder))
            Folder = QDir::homePath() + "/.config";
    }
    while (Folder.size() > 1 && Folder.endsWith('/'))
        Folder.chop(1);
    return Folder;
}

QString GetMyDocumentsFolder() { return GetSpecialFolder(5); }

QString GetAppDataFolder() { return GetSpecialFolder(26); }

QString MailToLink(const QString& Subject, const QString& Address) { return "mailto:" + Address + "?subject=" + Subject; }

void MailTo(const QString& Subject, const QString& Address)
{
    QDesktopServices::openUrl(QUrl(MailToLink(Subject, Address), QUrl::TolerantMode));
}

int GetMediaLength(const QString& FileName)
{
    try {
        TMidiData Song(nullptr);
        Song.SetFileName(FileName.toStdString());
        Song.SetActive(true);
        TMidiPosition Position(nullptr);
        Position.SetMidiData(&Song);
        Position.MoveToTick(Position.LastEventTick());
        return Position.Time();
    } catch (const std::exception&) {
        return 0;
    }
}
