#include "ScriptTestSupport.h"

#include <sstream>

namespace orb::test {

void ScriptTest::resetDemo()
{
    demo_ = std::make_unique<DemoSystem>(Host::offscreen(counter_));
    std::filesystem::create_directories("Data.qel");
    demo_->fileSystem()->init("Data.qel");
    addOperatorType<ProbeOperator>("Probe", "Test");
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
