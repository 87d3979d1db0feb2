#pragma once

// Encoder -- H.264 pictures (4:2:0, BT.709, limited range) and AAC sound into an MP4 file,
// through FFmpeg's libraries. Its calls come from one thread, in order; every library result is
// checked, and a failure names the call and the library's own words for it.
//
//   std::string failure;
//   auto encoder = Encoder::open({"demo.part.mp4", 1280, 720, 60.0, true}, failure);
//   encoder->picture(planes);              // 4:2:0, laid out as gfx::PlanarPlanes
//   encoder->sound(samples, frames);       // interleaved stereo float at 44100 Hz
//   if (!encoder->finish()) { /* encoder->failure() */ }

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

    // Why the picture encoder would not take pictures of this size and rate; empty when it would.
    static std::string refusal(const Settings& settings);
    static std::optional<Recorded> recorded(const AVFormatContext& file);
    static std::string rateOf(double fps);
    // Null, with why in `failure`, when the file or an encoder cannot be opened.
    static std::unique_ptr<Encoder> open(const Settings& settings, std::string& failure);
    // Pictures already encoded, as `copyPicture` takes them from another file of this encoder's
    // making (whose stream is `pictures`), with sound encoded here as `settings` ask.
    static std::unique_ptr<Encoder> openCopying(const Settings& settings, const AVStream& pictures,
                                                std::string& failure);
    // Closes the file without finishing it.
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    bool picture(const std::uint8_t* planes);
    // How the pictures in the file are encoded.
    const AVCodecParameters& pictureParameters() const;
    // A packet of the pictures of `openCopying`, in its own stream's time base, put `later`
    // pictures later, and decoded `decodedEarlier` pictures before that: files whose encoder held
    // back fewer pictures are joined to those that held back more without two decoding at once.
    bool copyPicture(AVPacket& packet, const AVStream& from, std::int64_t later, std::int64_t decodedEarlier);
    bool sound(const float* samples, std::size_t frames);
    // Encodes what is held back, ends both streams and writes the file's index.
    bool finish();
    const std::string& failure() const { return failure_; }
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
    bool start(const Settings& settings, const AVStream* copied);
    bool addStream(Stream& stream, const AVStream* copied);
    bool write(AVPacket& packet, const AVStream& stream);
    bool openPictures(const Settings& settings);
    void record(const Settings& settings);
    bool openPictureCodec(const Settings& settings);
    bool openSound();
    bool encode(Stream& stream, AVFrame* frame); // null frame: the end of the stream
    bool encodeSound(std::size_t frames);
    // False, with the call and the library's message as the failure.
    bool failed(const char* call, int result);

    AVFormatContext* file_ = nullptr;
    bool fileOpen_ = false;
    Stream pictures_, sound_;
    AVPacket* packet_ = nullptr;
    int width_ = 0, height_ = 0;
    std::int64_t picturesEncoded_ = 0;
    double fps_ = 0;
    std::int64_t soundEncoded_ = 0; // sample frames
    std::vector<float> heldSound_;  // interleaved, less than one encoder frame's worth
    std::string failure_;
};

} // namespace orb::render
