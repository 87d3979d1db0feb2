#include "platform/fx/FontRegistry.h"

#include "platform/fx/Font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <climits>
#include <mutex>
#include <strings.h>

namespace orb::fx {

namespace {

struct RegisteredFace
{
    std::string family;
    FontSource source;
    bool styled; // bold or italic: a plain face of the same family wins
};

struct Registry
{
    std::mutex mutex;
    std::vector<RegisteredFace> faces;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

std::optional<FontSource> registeredFace(const std::string& family)
{
    std::lock_guard lock(registry().mutex);
    const RegisteredFace* best = nullptr;
    for (const RegisteredFace& face : registry().faces)
        if (strcasecmp(face.family.c_str(), family.c_str()) == 0 &&
            (best == nullptr || (best->styled && !face.styled)))
            best = &face;
    return best != nullptr ? std::optional(best->source) : std::nullopt;
}

std::optional<FontSource> firstRegisteredFace()
{
    std::lock_guard lock(registry().mutex);
    return registry().faces.empty() ? std::nullopt : std::optional(registry().faces.front().source);
}

template <typename T, void (*destroy)(T*)>
struct FcDeleter
{
    void operator()(T* object) const { destroy(object); }
};
using FcConfigHandle = std::unique_ptr<FcConfig, FcDeleter<FcConfig, FcConfigDestroy>>;
using FcPatternHandle = std::unique_ptr<FcPattern, FcDeleter<FcPattern, FcPatternDestroy>>;

// A private configuration, dropped after the look-up, so nothing of fontconfig outlives it.
std::optional<FontSource> systemFace(const std::string& family)
{
    const FcConfigHandle config(FcInitLoadConfigAndFonts());
    const FcPatternHandle pattern(FcPatternCreate());
    if (!config || !pattern)
        return std::nullopt;
    FcPatternAddString(pattern.get(), FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddBool(pattern.get(), FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config.get(), pattern.get(), FcMatchPattern);
    FcDefaultSubstitute(pattern.get());
    FcResult result = FcResultNoMatch;
    const FcPatternHandle match(FcFontMatch(config.get(), pattern.get(), &result));
    FcChar8* file = nullptr;
    if (!match || FcPatternGetString(match.get(), FC_FILE, 0, &file) != FcResultMatch)
        return std::nullopt;
    int index = 0;
    FcPatternGetInteger(match.get(), FC_INDEX, 0, &index);
    return FontSource{nullptr, reinterpret_cast<const char*>(file), index};
}

} // namespace

int registerFontMemory(const void* data, std::size_t size)
{
    if (data == nullptr || size == 0 || size > LONG_MAX)
        return 0;
    const auto* first = static_cast<const unsigned char*>(data);
    const auto bytes = std::make_shared<const std::vector<unsigned char>>(first, first + size);
    const FreeTypeLibrary library = openFreeType();
    if (!library)
        return 0;
    std::vector<RegisteredFace> found;
    long faceCount = 1;
    for (long index = 0; index < faceCount; ++index) {
        const FreeTypeFace face = openFace(library.get(), {bytes, {}, index});
        if (!face)
            break;
        faceCount = face->num_faces;
        if (FT_IS_SCALABLE(face) && face->family_name != nullptr)
            found.push_back({face->family_name, {bytes, {}, index}, face->style_flags != 0});
    }
    std::lock_guard lock(registry().mutex);
    registry().faces.insert(registry().faces.end(), found.begin(), found.end());
    return static_cast<int>(found.size());
}

std::optional<FontSource> findFontSource(const std::string& faceName)
{
    if (std::optional<FontSource> registered = registeredFace(faceName))
        return registered;
    if (std::optional<FontSource> system = systemFace(faceName))
        return system;
    return firstRegisteredFace();
}

} // namespace orb::fx
