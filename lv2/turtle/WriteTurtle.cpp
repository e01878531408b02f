// Writes the LV2 bundle's plug-in turtle: the template the build configured, with the
// control port's name, range and scale points written from the control's description, so
// that the bundle offers exactly the factors and texts the code reads.
//   velvetine-lv2-turtle TEMPLATE OUTPUT

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "effect/ControlDescription.h"

namespace {

constexpr const char* kMarker = "@VELVETINE_LV2_CONTROL_PORT@";

std::string ControlPortTurtle()
{
    using Control = OversamplingControl;
    std::ostringstream turtle;
    turtle << "lv2:name \"" << Control::kName << "\" ;\n"
           << "        lv2:default " << Control::FactorOfStep(Control::kDefaultStep) << " ;\n"
           << "        lv2:minimum " << Control::FactorOfStep(0) << " ;\n"
           << "        lv2:maximum " << Control::FactorOfStep(Control::kStepCount - 1) << " ;\n"
           << "        lv2:portProperty lv2:integer , lv2:enumeration ;\n"
           << "        lv2:scalePoint";
    for (int step = 0; step < Control::kStepCount; ++step) {
        turtle << (step == 0 ? " " : " ,\n            ") << "[ rdfs:label \"" << Control::TextOfStep(step)
               << "\" ; rdf:value " << Control::FactorOfStep(step) << " ]";
    }
    return turtle.str();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: velvetine-lv2-turtle TEMPLATE OUTPUT\n");
        return 2;
    }
    std::ifstream in(argv[1]);
    std::stringstream text;
    text << in.rdbuf();
    std::string turtle = text.str();
    const size_t at = turtle.find(kMarker);
    if (!in || at == std::string::npos) {
        std::fprintf(stderr, "velvetine-lv2-turtle: %s has no %s\n", argv[1], kMarker);
        return 1;
    }
    turtle.replace(at, std::string(kMarker).size(), ControlPortTurtle());
    std::ofstream out(argv[2], std::ios::binary);
    out << turtle;
    return out ? 0 : 1;
}
