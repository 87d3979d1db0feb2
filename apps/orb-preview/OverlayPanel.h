#pragma once

// OverlayPanel -- the status line and the messages in the engine's font16 at the top left of the
// demo's own frame, each over a shadow; hidden with the panels but for the errors.

#include "DemoSystem.h"
#include "Panel.h"

namespace orb::preview {

class OverlayPanel final : public Panel
{
public:
    OverlayPanel(const DemoSystem& demo, int width, int height) : demo_(demo), width_(width), height_(height)
    {}

    void drawOverPicture(const FrameSnapshot& frame) override
    {
        fx::Font* font = demo_.font16();
        if (font == nullptr)
            return;
        int top = Margin;
        const auto write = [&](const std::string& text, gfx::Color colour) {
            const fx::TextRect shadow{Margin + 1, top + 1, width_, height_};
            font->drawText(text.c_str(), -1, shadow, fx::TextFormat::NoClip, 0xFF000000);
            top += font->drawText(text.c_str(), -1, {Margin, top, width_, height_}, fx::TextFormat::NoClip,
                                  colour);
        };
        if (frame.panelsShown)
            write(frame.statusLine(), StatusColour);
        for (const Message& message : frame.messages) {
            if (frame.panelsShown || message.error)
                write(message.text, message.error ? ErrorColour : NoteColour);
        }
    }

private:
    static constexpr int Margin = 8;
    static constexpr gfx::Color StatusColour = 0xFFFFFFFF;
    static constexpr gfx::Color ErrorColour = 0xFFFF7060;
    static constexpr gfx::Color NoteColour = 0xFFA0FFA0;

    const DemoSystem& demo_;
    int width_, height_;
};

} // namespace orb::preview
