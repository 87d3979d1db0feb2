#pragma once

// Encoder -- pictures and sound into a video file as an Encoding says (Presets.h): 4:2:0 pictures
// (BT.709, limited range) or the frame's own RGB, AAC or FLAC sound at the encoding's rate, in MP4
// or Matroska, through FFmpeg's libraries. Its calls come from one thread, in order; every library result is
// checked, and a failure names the call and the library's own words for it. After a failure the
// encoder is only destroyed.
//
//   app::Result<std::unique_ptr<Encoder>> encoder = Encoder::open({"demo.part.mp4", 1280, 720, 60.0, true});
//   if (!encoder) return encoder.failure();  // "avio_open demo.part.mp4: Permission denied"
//   (*encoder)->picture(pixels);             // as the encoding's layout() says
//   (*encoder)->sound(samples, frames);      // interleaved stereo float at 44100 Hz
//   if (const app::Failure failure = (*encoder)->finish()) ...

#include "Chapters.h"
#include "Failure.h"
#include "Presets.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct AVCodecContext;
struct AVCodecParameters;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace orb::render {

class Loudness;
class SoundResampler;

// Pictures `first` to `last` of a whole render at its rate, both included.
struct PictureSpan
{
    std::uint64_t first = 0, last = 0;
    std::uint64_t count() const { return last - first + 1; }
};

class Encoder
{
public:
    struct Settings
    {
        std::string file;
        int width = 0, height = 0;
        double fps = 60;
        bool withSound = true;
        // Recorded in the file when its pictures are numbered ones of a whole render, so that a
        // join can tell its parts' order, gaps and overlaps.
        std::optional<PictureSpan> span = {};
        Encoding encoding = StandardEncoding;
        std::vector<Chapter> chapters = {};
        std::vector<std::uint8_t> cover = {}; // a PNG picture, when not empty
        bool measureLoudness = false;
    };
    // What a file of this encoder's making says of its pictures: null when it is not one with
    // numbered pictures.
    struct Recorded
    {
        PictureSpan span;
        std::string rate; // pictures a second, as a fraction "60/1"
    };

    // Why the picture encoder would not take pictures of this size and rate; none when it would.
    static app::Failure refusal(const Settings& settings);
    // The first of the encoding's encoders this libavcodec lacks; empty when it has them all.
    static std::string missingEncoder(const Encoding& encoding);
    static std::optional<Recorded> recorded(const AVFormatContext& file);
    static std::string rateOf(double fps);
    static app::Result<std::unique_ptr<Encoder>> open(const Settings& settings);
    // Pictures already encoded, as `copyPicture` takes them from another file of this encoder's
    // making (whose stream is `pictures`), with sound encoded here as `settings` ask.
    static app::Result<std::unique_ptr<Encoder>> openCopying(const Settings& settings,
                                                             const AVStream& pictures);
    // Closes the file without finishing it.
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    app::Failure picture(const std::uint8_t* pixels);
    // How the pictures in the file are encoded.
    const AVCodecParameters& pictureParameters() const;
    // A packet of the pictures of `openCopying`, in its own stream's time base, put `later`
    // pictures later, and decoded `decodedEarlier` pictures before that: files whose encoder held
    // back fewer pictures are joined to those that held back more without two decoding at once.
    app::Failure copyPicture(AVPacket& packet, const AVStream& from, std::int64_t later,
                             std::int64_t decodedEarlier);
    app::Failure sound(const float* samples, std::size_t frames);
    // Encodes what is held back, ends both streams and writes the file's index.
    app::Failure finish();
    // The sound's loudness as a line for --stats, once finished; empty unless measured.
    std::string loudness() const;
    // FFmpeg's libraries' words for a result below 0.
    static std::string libraryMessage(int result);
    // The number of the picture at `timestamp` in a stream of pictures at `fps` a second.
    static std::int64_t pictureAt(std::int64_t timestamp, const AVStream& stream, double fps);

private:
    struct Stream
    {
        AVCodecContext* codec = nullptr;
        AVStream* stream = nullptr;
        AVFrame* frame = nullptr;
    };

    Encoder() = default;
    // Copying the pictures of `copied` when it is not null.
    static app::Result<std::unique_ptr<Encoder>> openWith(const Settings& settings, const AVStream* copied);
    app::Failure start(const Settings& settings, const AVStream* copied);
    app::Failure addStream(Stream& stream, const AVStream* copied);
    app::Failure addChapters(const std::vector<Chapter>& chapters);
    app::Failure addCover(const std::vector<std::uint8_t>& png, std::string_view format);
    app::Failure writeCover(const std::vector<std::uint8_t>& png);
    app::Failure write(AVPacket& packet, const AVStream& stream);
    app::Failure openPictures(const Settings& settings);
    void record(const Settings& settings);
    app::Failure openPictureCodec(const Settings& settings);
    app::Failure openSound(const SoundEncoding& sound);
    app::Failure encode(Stream& stream, AVFrame* frame); // null frame: the end of the stream
    app::Failure encodeSound(std::size_t frames);
    app::Failure encodeWholeSoundFrames();
    app::Failure finishSound();
    // The call and the library's message for its result.
    static app::Failure failed(std::string call, int result);

    AVFormatContext* file_ = nullptr;
    bool fileOpen_ = false;
    Stream pictures_, sound_;
    AVStream* cover_ = nullptr; // the cover picture's, in a format that takes it as a picture stream
    AVPacket* packet_ = nullptr;
    int width_ = 0, height_ = 0;
    gfx::PixelLayout layout_ = gfx::PixelLayout::Planar420;
    std::int64_t picturesEncoded_ = 0, picturesCopied_ = 0;
    std::unique_ptr<SoundResampler> resampler_; // null when the engine's rate is the encoding's
    std::unique_ptr<Loudness> loudness_;        // null unless measured
    double fps_ = 0;
    std::int64_t soundEncoded_ = 0; // sample frames
    std::vector<float> heldSound_;  // interleaved at the encoding's rate, less than one encoder frame's worth
};

} // namespace orb::render
