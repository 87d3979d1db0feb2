#pragma once

// ITimeLineElement -- a layer or an operator on the timeline: a half-open interval [start, end)
// in its parent's time, optional segments that narrow it, and child operators that see the
// time measured from this element's start.
//
// Segments: when the list is not empty, an element inside [start, end) is active only while the
// time also lies inside at least one segment's half-open interval (same time base as start).
//
//   element.readElement(xml);                 // name, active, solo, start, end, segments, children
//   if (element.isActive(t)) element.processChildren(t - element.start(), seek);

#include <ostream>
#include <string>
#include <tinyxml.h>
#include <utility>
#include <vector>

namespace orb {

class IOperator;
class Scene;

class ITimeLineElement
{
public:
    explicit ITimeLineElement(Scene& owner) : owner_(owner) {}
    virtual ~ITimeLineElement() = default;
    ITimeLineElement(const ITimeLineElement&) = delete;
    ITimeLineElement& operator=(const ITimeLineElement&) = delete;

    virtual bool readSettings(const TiXmlElement& element) = 0;
    virtual bool writeSettings(std::ostream& stream) const = 0;
    virtual void process(float time, bool seek) = 0;
    virtual bool isActive(float time) const;

    // False when an operator among the children could not be created; the others stay.
    bool readElement(const TiXmlElement& element);
    bool writeElement(std::ostream& stream, const char* tag) const;
    void processChildren(float time, bool seek);

    const std::string& name() const { return name_; }
    float start() const { return start_; }
    float end() const { return end_; }
    const std::vector<std::pair<float, float>>& segments() const { return segments_; }
    const std::vector<IOperator*>& children() const { return children_; }
    Scene& owner() const { return owner_; }

private:
    Scene& owner_;
    std::string name_;
    int active_ = 0;
    int solo_ = 0;
    float start_ = 0.0f;
    float end_ = 0.0f;
    std::vector<std::pair<float, float>> segments_;
    std::vector<IOperator*> children_;
};

// A layer of a scene: runs its operators with the time since its own start.
class Layer final : public ITimeLineElement
{
public:
    using ITimeLineElement::ITimeLineElement;

    bool readSettings(const TiXmlElement&) override { return true; }
    bool writeSettings(std::ostream&) const override { return true; }
    void process(float time, bool seek) override;
};

} // namespace orb
