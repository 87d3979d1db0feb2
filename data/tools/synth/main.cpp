// orb-synth -- renders the production's soundtrack, "Velmora", as a 16-bit stereo WAV file at
// 44100 Hz. The build encodes it to MP3.
//
//   orb-synth OUTPUT.wav
//
// Nothing but the score decides the output: the same build always writes the same bytes.

#include "Score.h"
#include "Wav.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: orb-synth OUTPUT.wav\n");
        return 2;
    }
    using namespace orb::synth;
    const Song song = velmora();
    if (!writeWav(argv[1], render(song, 0, song.bars, velmoraMastering()))) {
        std::fprintf(stderr, "orb-synth: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
