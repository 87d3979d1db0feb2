#pragma once

// The resource kinds that only record what the script says: they make nothing of their own.

#include "IResource.h"

#include <array>

namespace orb {

class TextureResource final : public IResource
{
public:
    using IResource::IResource;
    const char* typeName() const override { return "Texture"; }
    const char* category() const override { return "2D"; }
    bool read(const TiXmlElement& element) override;

    // levels, usage, format, pool, colorKey, as the script gives them
    const std::array<int, 5>& settings() const { return settings_; }

protected:
    void writeSettings(std::ostream& stream) const override;

private:
    std::array<int, 5> settings_{};
};

class SceneResource final : public IResource
{
public:
    using IResource::IResource;
    const char* typeName() const override { return "Scene"; }
    const char* category() const override { return "3D"; }
};

class ShaderResource final : public IResource
{
public:
    using IResource::IResource;
    const char* typeName() const override { return "Shader"; }
    const char* category() const override { return "3D"; }
};

class MovieResource final : public IResource
{
public:
    using IResource::IResource;
    const char* typeName() const override { return "Movie"; }
    const char* category() const override { return "2D"; }
};

class FontResource final : public IResource
{
public:
    using IResource::IResource;
    const char* typeName() const override { return "Font"; }
    const char* category() const override { return "2D"; }
};

} // namespace orb
