#include "ITimeLineElement.h"

#include "DemoSystem.h"
#include "Operators/IOperator.h"
#include "ScriptValues.h"

#include <algorithm>

namespace orb {

bool ITimeLineElement::isActive(float time) const
{
    if (start_ > time || end_ <= time)
        return false;
    return segments_.empty() || std::any_of(segments_.begin(), segments_.end(), [time](const auto& segment) {
               return segment.first <= time && time < segment.second;
           });
}

bool ITimeLineElement::readElement(const TiXmlElement& element)
{
    name_ = textAttribute(element, "name");
    active_ = intAttribute(element, "active");
    solo_ = intAttribute(element, "solo");
    start_ = floatAttribute(element, "start");
    end_ = floatAttribute(element, "end");
    if (const TiXmlElement* segments = element.FirstChildElement("segments")) {
        for (const TiXmlElement* segment = segments->FirstChildElement("segment"); segment != nullptr;
             segment = segment->NextSiblingElement("segment"))
            segments_.emplace_back(floatAttribute(*segment, "start"), floatAttribute(*segment, "end"));
    }
    readSettings(element);
    bool created = true;
    if (const TiXmlElement* children = element.FirstChildElement("children")) {
        OperatorManager& operators = *owner_.owner().operatorManager();
        for (const TiXmlElement* child = children->FirstChildElement("operator"); child != nullptr;
             child = child->NextSiblingElement("operator")) {
            if (IOperator* made = operators.createOperator(owner_, *child))
                children_.push_back(made);
            else
                created = false;
        }
    }
    return created;
}

bool ITimeLineElement::writeElement(std::ostream& stream, const char* tag) const
{
    stream << '<' << tag << attribute("name", name_) << attribute("active", active_)
           << attribute("solo", solo_) << attribute("start", start_) << attribute("end", end_) << ">\n";
    if (!segments_.empty()) {
        stream << "<segments>\n";
        for (const auto& [start, end] : segments_)
            stream << "<segment" << attribute("start", start) << attribute("end", end) << "/>\n";
        stream << "</segments>\n";
    }
    writeSettings(stream);
    if (!children_.empty()) {
        stream << "<children>\n";
        for (const IOperator* child : children_)
            child->writeElement(stream, "operator");
        stream << "</children>\n";
    }
    stream << "</" << tag << ">\n";
    return true;
}

void ITimeLineElement::processChildren(float time, bool seek)
{
    for (IOperator* child : children_)
        child->process(time, seek);
}

void Layer::process(float time, bool seek)
{
    if (isActive(time))
        processChildren(time - start(), seek);
}

} // namespace orb
