#pragma once

// Failure -- why an application's step did not happen, in one shape: what was called or done
// ("avcodec_open2 libx264", "cannot create out/frame_000001.part.png") and the library's or the
// system's own words for it ("Invalid argument"). Empty while nothing has failed, so that a step
// that only succeeds or fails returns one.
//
//   if (const Failure failure = encoder.finish())
//       std::cerr << "orb-render: " << failure.message() << "\n";
//   Result<Waveform> wave = Waveform::decode(bytes, size);   // the value, or its failure

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace orb::app {

struct [[nodiscard]] Failure
{
    std::string what; // empty: nothing failed
    std::string why = {};

    // With errno's words for why.
    static Failure ofSystem(std::string what);

    explicit operator bool() const { return !what.empty(); }
    std::string message() const { return why.empty() ? what : what + ": " + why; }
};

// A value, or the failure that left none.
template <typename Value>
class [[nodiscard]] Result
{
public:
    Result(Value value) : held_(std::move(value)) {}
    Result(Failure failure) : held_(std::move(failure)) {}

    explicit operator bool() const { return std::holds_alternative<Value>(held_); }
    Value& operator*() { return std::get<Value>(held_); }
    const Value& operator*() const { return std::get<Value>(held_); }
    Value* operator->() { return &std::get<Value>(held_); }
    const Value* operator->() const { return &std::get<Value>(held_); }
    // Empty when there is a value.
    Failure failure() const
    {
        const Failure* failure = std::get_if<Failure>(&held_);
        return failure != nullptr ? *failure : Failure{};
    }

private:
    std::variant<Value, Failure> held_;
};

} // namespace orb::app
