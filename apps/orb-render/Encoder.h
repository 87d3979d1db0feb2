#pragma once

// Encoder -- H.264 pictures (4:2:0, BT.709, limited range) and AAC sound into an MP4 file,
// through FFmpeg's libraries. Its calls come from one thread, in order; every library result is
// checked, and a failure names the call and the library's own words for it. After a failure the
// encoder is only destroyed.
//
//   app::Result<std::unique_ptr<Encoder>> encoder = Encoder::open({"demo.part.mp4", 1280, 720, 60.0, true});
//   if (!encoder) return encoder.failure();  // "avio_open demo.part.mp4: Permission denied"
//   (*encoder)->picture(planes);             // 4:2:0, laid out as gfx::PlanarPlanes
//   (*encoder)->sound(samples, frames);      // interleaved stereo float at 44100 Hz
//   if (const app::Failure failure = (*encoder)->finish()) ...

#include "Failure.h"

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

    app::Failure picture(const std::uint8_t* planes);
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
    app::Failure write(AVPacket& packet, const AVStream& stream);
    app::Failure openPictures(const Settings& settings);
    void record(const Settings& settings);
    app::Failure openPictureCodec(const Settings& settings);
    app::Failure openSound();
    app::Failure encode(Stream& stream, AVFrame* frame); // null frame: the end of the stream
    app::Failure encodeSound(std::size_t frames);
    // The call and the library's message for its result.
    static app::Failure failed(std::string call, int result);

    AVFormatContext* file_ = nullptr;
    bool fileOpen_ = false;
    Stream pictures_, sound_;
    AVPacket* packet_ = nullptr;
    int width_ = 0, height_ = 0;
    std::int64_t picturesEncoded_ = 0;
    double fps_ = 0;
    std::int64_t soundEncoded_ = 0; // sample frames
    std::vector<float> heldSound_;  // interleaved, less than one encoder frame's worth
};

} // namespace orb::render
