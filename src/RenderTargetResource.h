#pragma once

// RenderTargetResource -- a render target of a given size and format, made on first request.
// Sizes are pixels, or "*" and a fraction of the back buffer's size when the element is read.

#include "IResource.h"
#include "Renderer/RenderTarget.h"

#include <memory>

namespace orb {

class RenderTargetResource final : public IResource
{
public:
    using IResource::IResource;
    const char* typeName() const override { return "RenderTarget"; }
    const char* category() const override { return "2D"; }
    bool read(const TiXmlElement& element) override;

    // The render target, made now if it was not; null while it cannot be made.
    RenderTarget* handle();

    int width() const { return width_.pixels; }
    int height() const { return height_.pixels; }
    float widthFactor() const { return width_.factor; }
    float heightFactor() const { return height_.factor; }

protected:
    void writeSettings(std::ostream& stream) const override;

private:
    struct Size
    {
        int pixels = 0;
        float factor = 0.0f; // 0 for a size in pixels
    };

    static Size readSize(const TiXmlElement& element, const char* name, int screen, Size previous);
    static void writeSize(std::ostream& stream, const char* name, const Size& size);

    Size width_;
    Size height_;
    int levels_ = 0;
    int format_ = 0;
    int depthFormat_ = 0;
    std::unique_ptr<RenderTarget> target_;
};

} // namespace orb
