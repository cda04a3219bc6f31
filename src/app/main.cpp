// Until the desktop window exists, the program loads the songs it is given and
// tells what it found in each.
#include "cmpMidiData.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("Bivoxa: give the paths of .mid, .kar or .rmi songs to load them.\n");
        return 0;
    }
    int Failures = 0;
    for (int I = 1; I < argc; ++I) {
        TMidiData Song(nullptr);
        Song.SetFileName(argv[I]);
        try {
            Song.SetActive(true);
            int64_t Events = 0;
            for (int32_t T = 0; T < Song.TrackCount(); ++T)
                Events += Song.Tracks(T)->EventCount();
            std::printf("%s: PPQN %d, %d tracks, %lld events\n", argv[I], Song.PPQN(), Song.TrackCount(),
                static_cast<long long>(Events));
        } catch (const std::exception& Error) {
            std::printf("%s: %s\n", argv[I], Error.what());
            ++Failures;
        }
    }
    return Failures == 0 ? 0 : 1;
}
