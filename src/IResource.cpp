#include "IResource.h"

#include "ResourceManager.h"
#include "ScriptValues.h"

namespace orb {

IResource::IResource(ResourceManager& manager, std::uint32_t requestedId) : manager_(&manager)
{
    manager_->registerResource(this, requestedId);
}

IResource::~IResource()
{
    if (manager_ != nullptr)
        manager_->unregisterResource(id_);
}

DemoSystem* IResource::demo() const
{
    return manager_ != nullptr ? &manager_->owner() : nullptr;
}

bool IResource::read(const TiXmlElement& element)
{
    name_ = textAttribute(element, "name");
    source_ = textAttribute(element, "source");
    return true;
}

bool IResource::write(std::ostream& stream) const
{
    stream << '<' << typeName() << attribute("id", id_) << attribute("name", name_)
           << attribute("source", source_);
    writeSettings(stream);
    stream << "/>\n";
    return true;
}

} // namespace orb
