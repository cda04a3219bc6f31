// The program run as a user runs it: a JACK server with the dummy driver, two
// recording clients chosen as Port A and Port B in config.xml, songs on the
// command line, then SIGTERM.
#include "JackPeer.h"
#include "SmfBytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using TMessages = std::vector<std::vector<uint8_t>>;

constexpr uint16_t Mask = 0x00F5; // channels 1, 3, 5, 6, 7, 8 to Port A; the rest to Port B

// A song of Quarters quarter notes at 96 ppqn and 250 ms a quarter, one track
// per channel used; each track sets a program and a controller, then plays notes.
TBytes Song(const std::vector<int>& Channels, int Quarters, uint8_t FirstNote)
{
    TBytes File = Header(1, static_cast<uint16_t>(Channels.size() + 1), 96);
    const TBytes Conductor = Track({0x00, 0xFF, 0x51, 0x03, 0x03, 0xD0, 0x90});
    File.insert(File.end(), Conductor.begin(), Conductor.end());
    for (int Channel : Channels) {
        const auto Status = static_cast<uint8_t>(Channel);
        TBytes Events = {0x00, static_cast<uint8_t>(0xC0 | Status), static_cast<uint8_t>(Channel + 1), 0x00,
            static_cast<uint8_t>(0xB0 | Status), 0x07, static_cast<uint8_t>(100 - Channel)};
        for (int Q = 0; Q < Quarters; ++Q) {
            const auto Note = static_cast<uint8_t>(FirstNote + Channel + Q);
            Events.insert(Events.end(), {0x00, static_cast<uint8_t>(0x90 | Status), Note, 90});
            AppendVarLen(Events, 96);
            Events.insert(Events.end(), {static_cast<uint8_t>(0x80 | Status), Note, 0});
        }
        const TBytes Chunk = Track(Events);
        File.insert(File.end(), Chunk.begin(), Chunk.end());
    }
    return File;
}

// What a port should receive of a song: each track's first program as the
// song is readied, then per tick the due events of each track in track order.
TMessages Expected(const std::vector<int>& Channels, int Quarters, uint8_t FirstNote, bool PortA)
{
    std::vector<int> Mine;
    for (int Channel : Channels)
        if (((Mask >> Channel) & 1) == (PortA ? 1 : 0))
            Mine.push_back(Channel);
    const auto Status = [](int Kind, int Channel) { return static_cast<uint8_t>(Kind | Channel); };
    const auto Note = [FirstNote](int Channel, int Q) { return static_cast<uint8_t>(FirstNote + Channel + Q); };
    TMessages Result;
    for (int Channel : Mine)
        Result.push_back({Status(0xC0, Channel), static_cast<uint8_t>(Channel + 1)});
    for (int Channel : Mine) {
        Result.push_back({Status(0xC0, Channel), static_cast<uint8_t>(Channel + 1)});
        Result.push_back({Status(0xB0, Channel), 0x07, static_cast<uint8_t>(100 - Channel)});
        Result.push_back({Status(0x90, Channel), Note(Channel, 0), 90});
    }
    for (int Q = 1; Q <= Quarters; ++Q)
        for (int Channel : Mine) {
            Result.push_back({Status(0x80, Channel), Note(Channel, Q - 1), 0});
            if (Q < Quarters)
                Result.push_back({Status(0x90, Channel), Note(Channel, Q), 90});
        }
    return Result;
}

// The messages a port received before the program's own clean-up (controller
// resets and All Notes Off when it closed).
TMessages SongPart(const TMessages& Received, size_t Count)
{
    return TMessages(Received.begin(), Received.begin() + static_cast<std::ptrdiff_t>(std::min(Count, Received.size())));
}

void WriteFile(const QString& Path, const QByteArray& Bytes)
{
    QDir().mkpath(QFileInfo(Path).path());
    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::WriteOnly | QIODevice::Truncate));
    File.write(Bytes);
}

QByteArray Settings(const std::string& PortA, const std::string& PortB, bool Autostart)
{
    return QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!--Bivoxa OEM-->\r\n<Settings><WindowSettings><Auto>")
        + (Autostart ? "-1" : "0") + "</Auto></WindowSettings><MIDISettings><MIDIOutputs><PortAIndex>"
        + QByteArray::fromStdString(PortA) + "</PortAIndex><PortBIndex>" + QByteArray::fromStdString(PortB)
        + "</PortBIndex><SMFMask>" + QByteArray::number(Mask) + "</SMFMask></MIDIOutputs></MIDISettings></Settings>\r\n";
}

class EndToEnd : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Home.isValid());
        ConfigFile = Home.filePath("config/Marvessa/Bivoxa OEM/config.xml");
    }

    // Starts the program with Arguments; it stays running until Terminate.
    void Start(const QStringList& Arguments)
    {
        Program = ::fork();
        ASSERT_GE(Program, 0);
        if (Program == 0) {
            ::setenv("BIVOXA_MIDI_API", "jack", 1);
            ::setenv("JACK_DEFAULT_SERVER", BIVOXA_JACK_SERVER, 1);
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
            ::setenv("XDG_CONFIG_HOME", Home.filePath("config").toUtf8().constData(), 1);
            std::vector<std::string> Words = {BIVOXA_PROGRAM};
            for (const QString& Argument : Arguments)
                Words.push_back(Argument.toStdString());
            std::vector<char*> Argv;
            for (std::string& Word : Words)
                Argv.push_back(Word.data());
            Argv.push_back(nullptr);
            ::execv(BIVOXA_PROGRAM, Argv.data());
            ::_exit(127);
        }
    }

    // SIGTERM, then the exit status.
    int Terminate()
    {
        ::kill(Program, SIGTERM);
        int Status = 0;
        ::waitpid(Program, &Status, 0);
        return WIFEXITED(Status) ? WEXITSTATUS(Status) : 128 + WTERMSIG(Status);
    }

    QTemporaryDir Home;
    QString ConfigFile;
    pid_t Program = -1;
};

} // namespace

TEST_F(EndToEnd, ASongOnTheCommandLinePlaysThroughTheSplitThenSigtermCloses)
{
    TJackPeer SynthA("recorder-a"), SynthB("recorder-b");
    WriteFile(ConfigFile, Settings(SynthA.Name() + ":in", SynthB.Name() + ":in", false));
    const std::vector<int> Channels = {0, 1, 2, 3, 9, 15};
    const TBytes Bytes = Song(Channels, 6, 40);
    const QString SongFile = Home.filePath("song.mid");
    WriteFile(SongFile, QByteArray(reinterpret_cast<const char*>(Bytes.data()), static_cast<qsizetype>(Bytes.size())));
    const TMessages ToA = Expected(Channels, 6, 40, true), ToB = Expected(Channels, 6, 40, false);
    const auto Before = QFileInfo(ConfigFile).lastModified();

    Start({SongFile});
    SynthA.WaitForEvents(ToA.size(), std::chrono::seconds(20));
    SynthB.WaitForEvents(ToB.size(), std::chrono::seconds(20));
    EXPECT_EQ(Terminate(), 0);

    EXPECT_EQ(SongPart(SynthA.Messages(), ToA.size()), ToA);
    EXPECT_EQ(SongPart(SynthB.Messages(), ToB.size()), ToB);
    // The settings were written again at the close, with the same ports.
    QFile Written(ConfigFile);
    ASSERT_TRUE(Written.open(QIODevice::ReadOnly));
    const QByteArray Text = Written.readAll();
    EXPECT_TRUE(Text.contains("<PortAIndex>" + QByteArray::fromStdString(SynthA.Name()) + ":in</PortAIndex>"));
    EXPECT_TRUE(Text.contains("<SMFMask>245</SMFMask>"));
    EXPECT_TRUE(Text.startsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!--Do not remove comment lines!"));
    EXPECT_GE(QFileInfo(ConfigFile).lastModified(), Before);
}

TEST_F(EndToEnd, APlaylistWithAutostartPlaysEverySongInOrder)
{
    TJackPeer SynthA("recorder-a"), SynthB("recorder-b");
    WriteFile(ConfigFile, Settings(SynthA.Name() + ":in", SynthB.Name() + ":in", true));
    const std::vector<int> Channels = {0};
    QString PlayList = "[PlayList]\r\nName=Trzy utwory\r\n[Files]\r\n";
    TMessages ToA;
    for (int I = 0; I < 3; ++I) {
        const auto FirstNote = static_cast<uint8_t>(30 + 20 * I);
        const TBytes Bytes = Song(Channels, 2, FirstNote);
        const QString File = Home.filePath(QString("song%1.mid").arg(I));
        WriteFile(File, QByteArray(reinterpret_cast<const char*>(Bytes.data()), static_cast<qsizetype>(Bytes.size())));
        PlayList += QString("Item%1=%2\r\n").arg(I).arg(File);
        // Only notes are compared: programs and controllers repeat as each song is chased.
        for (const auto& Message : Expected(Channels, 2, FirstNote, true))
            if ((Message[0] & 0xE0) == 0x80)
                ToA.push_back(Message);
    }
    const QString PlayListFile = Home.filePath("three.dpp");
    WriteFile(PlayListFile, PlayList.toUtf8());

    Start({PlayListFile});
    const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    TMessages Notes;
    while (Notes.size() < ToA.size() && std::chrono::steady_clock::now() < Deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        Notes.clear();
        for (const auto& Message : SynthA.Messages())
            if ((Message[0] & 0xE0) == 0x80)
                Notes.push_back(Message);
    }
    EXPECT_EQ(Terminate(), 0);
    EXPECT_EQ(Notes, ToA);
}
