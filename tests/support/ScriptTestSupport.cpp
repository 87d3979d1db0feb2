#include "ScriptTestSupport.h"

#include "ScriptValues.h"

#include <sstream>

namespace orb::test {

namespace {

class ProbeFactory final : public IOperatorFactory
{
public:
    using IOperatorFactory::IOperatorFactory;

    void listTypes(std::vector<std::string>& types) const override { types.emplace_back("Probe"); }
    void listCategories(std::vector<std::string>& categories) const override
    {
        categories.emplace_back("Test");
    }
    std::unique_ptr<IOperator> create(Scene& scene, const TiXmlElement& element) override
    {
        if (textAttribute(element, "name") != "Probe")
            return nullptr;
        auto made =
            std::make_unique<ProbeOperator>(scene, static_cast<std::uint32_t>(intAttribute(element, "id")));
        made->readElement(element);
        return made;
    }
};

} // namespace

void ScriptTest::resetDemo()
{
    demo_ = std::make_unique<DemoSystem>(Host::offscreen(counter_));
    std::filesystem::create_directories("Data.qel");
    demo_->fileSystem()->init("Data.qel");
    demo_->operatorManager()->factory().addDelegate(
        std::make_unique<ProbeFactory>(*demo_->operatorManager()));
}

bool ScriptTest::load(const std::string& script)
{
    writeFile("Data/DemoScript.xml", script);
    return demo_->loadScript("Data\\DemoScript.xml");
}

bool ScriptTest::loadDemo(const std::string& script)
{
    return load(script) && demo_->loadDemo();
}

ProbeOperator* ScriptTest::probe(std::uint32_t id) const
{
    std::uint32_t cursor = id;
    IOperator* op = demo_->operatorManager()->nextOperator(cursor);
    return cursor == id + 1 ? dynamic_cast<ProbeOperator*>(op) : nullptr;
}

std::string ScriptTest::written() const
{
    std::ostringstream text;
    demo_->writeScript(text);
    return text.str();
}

} // namespace orb::test
