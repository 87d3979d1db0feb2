#pragma once

// Scene -- the root of one timeline tree: its layers in script order, gated by the scene's own
// [start, end) in demo time without shifting it. Held in the DemoSystem's scene table under its
// id: it registers from its constructor (AnyId asks for the lowest free id) and unregisters
// from its destructor. A scene whose id was taken stays out of the table and is not played.
//
//   auto scene = std::make_unique<Scene>(demo, intAttribute(xml, "id"));
//   scene->read(xml);                       // creates the layers and their operators
//   scene->process(time, seek);             // every frame, for the scene with id 0

#include "ITimeLineElement.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <tinyxml.h>
#include <vector>

namespace orb {

class DemoSystem;

class Scene
{
public:
    Scene(DemoSystem& owner, std::uint32_t requestedId);
    virtual ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    virtual void process(float time, bool seek);
    // Whether process() shows its own frames; a script scene's operators only draw.
    virtual bool presentsItself() const { return false; }
    virtual bool read(const TiXmlElement& element);
    virtual bool write(std::ostream& stream) const;

    std::uint32_t id() const { return id_; }
    void setId(std::uint32_t id) { id_ = id; }
    float start() const { return start_; }
    float end() const { return end_; }
    const std::string& name() const { return name_; }
    const std::vector<std::unique_ptr<Layer>>& layers() const { return layers_; }
    DemoSystem& owner() const { return owner_; }

    // The table is going away with the whole demo: leave it without a word.
    void detach() { detached_ = true; }

protected:
    // For scenes that are not read from the script.
    void setSpan(std::string name, float start, float end)
    {
        name_ = std::move(name);
        start_ = start;
        end_ = end;
    }

private:
    DemoSystem& owner_;
    std::uint32_t id_ = 0xFFFFFFFF;
    std::string name_;
    float start_ = 0.0f;
    float end_ = 0.0f;
    std::vector<std::unique_ptr<Layer>> layers_;
    bool detached_ = false;
};

} // namespace orb
