#pragma once

// IResource -- a named object declared in the script's resources: it registers itself with the
// ResourceManager under the id it asks for, reads its attributes from its element and writes
// itself back as one element. Kinds that make something (a render target, a stream) make it on
// the first request for it and release it when destroyed.

#include <cstdint>
#include <ostream>
#include <string>
#include <tinyxml.h>

namespace orb {

class DemoSystem;
class ResourceManager;

class IResource
{
public:
    IResource(ResourceManager& manager, std::uint32_t requestedId);
    virtual ~IResource();
    IResource(const IResource&) = delete;
    IResource& operator=(const IResource&) = delete;

    virtual const char* typeName() const = 0;
    virtual const char* category() const = 0;
    // Reads "name", "source" and the kind's own attributes; never fails.
    virtual bool read(const TiXmlElement& element);
    // One empty element on one line: id, name, source, then the kind's own attributes.
    bool write(std::ostream& stream) const;

    std::uint32_t id() const { return id_; }
    void setId(std::uint32_t id) { id_ = id; }
    const std::string& name() const { return name_; }
    const std::string& source() const { return source_; }

    // The manager is going away with the whole demo: leave it without a word.
    void detach() { manager_ = nullptr; }

protected:
    virtual void writeSettings(std::ostream&) const {}
    DemoSystem* demo() const;

private:
    ResourceManager* manager_;
    std::uint32_t id_ = 0xFFFFFFFF;
    std::string name_;
    std::string source_;
};

} // namespace orb
