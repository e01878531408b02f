// The VST3 bundle as a host meets it: the factory and its class infos (and the bundle's
// moduleinfo.json saying the same), the buses, the parameter's texts, saved states good and
// hostile, and parameter changes taking effect at their sample offset, in blocks with and
// without audio or parameter lists.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/Identity.h"
#include "host/PluginDrivers.h"
#include "host/Vst3HostObjects.h"
#include "tests/vst3/Vst3Module.h"

namespace {

using namespace vst3test;

CVst3HostApplication hostApplication;

std::string Utf8(const vst3::char16* text)
{
    std::string result;
    for (; *text; ++text)
        result += *text < 0x80 ? char(*text) : '?';
    return result;
}

std::vector<vst3::char16> Utf16(const char* text)
{
    std::vector<vst3::char16> result(text, text + std::strlen(text));
    result.push_back(0);
    return result;
}

// The processor and its controller, as a host makes them.
class Vst3Pair : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Library().Loaded()) << Library().Error();
        component.object = Create<vst3::IComponent>(Identity::kVst3ProcessorClassId, vst3::kIComponentIid, &hostApplication);
        ASSERT_TRUE(component);
        processor.object = Query<vst3::IAudioProcessor>(component.object, vst3::kIAudioProcessorIid);
        ASSERT_TRUE(processor);
        controller.object =
            Create<vst3::IEditController>(Identity::kVst3ControllerClassId, vst3::kIEditControllerIid, &hostApplication);
        ASSERT_TRUE(controller);
    }
    void TearDown() override
    {
        if (component)
            component->terminate();
        if (controller)
            controller->terminate();
    }

    void Activate(int32_t maxBlock)
    {
        vst3::ProcessSetup setup = {vst3::kRealtime, vst3::kSample64, maxBlock, 48000.0};
        ASSERT_EQ(processor->setupProcessing(setup), vst3::kResultOk);
        ASSERT_EQ(component->setActive(1), vst3::kResultOk);
        ASSERT_EQ(processor->setProcessing(1), vst3::kResultOk);
    }

    // A block with no audio, as hosts flush parameter changes.
    vst3::tresult Flush(double normalized)
    {
        CVst3ParameterChanges changes;
        changes.Add(0, 0, normalized);
        vst3::ProcessData data = {};
        data.symbolicSampleSize = vst3::kSample64;
        data.inputParameterChanges = &changes;
        return processor->process(data);
    }

    std::vector<uint8_t> SavedState()
    {
        CVst3MemoryStream stream;
        EXPECT_EQ(component->getState(&stream), vst3::kResultOk);
        return stream.Bytes();
    }

    Held<vst3::IComponent> component;
    Held<vst3::IAudioProcessor> processor;
    Held<vst3::IEditController> controller;
};

TEST(Vst3Factory, DescribesTheProcessorAndControllerAsModuleinfoDoes)
{
    ASSERT_TRUE(Library().Loaded()) << Library().Error();
    vst3::IPluginFactory* factory = Factory();
    ASSERT_TRUE(factory);
    Held<vst3::IPluginFactory3> factory3(Query<vst3::IPluginFactory3>(factory, vst3::kIPluginFactory3Iid));
    ASSERT_TRUE(factory3);
    EXPECT_EQ(factory3->setHostContext(&hostApplication), vst3::kResultOk);
    vst3::PFactoryInfo info;
    ASSERT_EQ(factory->getFactoryInfo(&info), vst3::kResultOk);
    EXPECT_STREQ(info.vendor, "Fernhollowstudios");
    EXPECT_EQ(info.flags, vst3::PFactoryInfo::kUnicode);
    ASSERT_EQ(factory->countClasses(), 2);
    vst3::PClassInfoW unicode;
    EXPECT_NE(factory3->getClassInfoUnicode(2, &unicode), vst3::kResultOk);

    // The identifiers' bytes as hosts compare them: COM's GUID order on Windows.
#ifdef _WIN32
    const uint8_t processorFirstBytes[8] = {0xFD, 0xF9, 0x3E, 0x42, 0xAE, 0x4B, 0xA2, 0x47};
#else
    const uint8_t processorFirstBytes[8] = {0x42, 0x3E, 0xF9, 0xFD, 0x4B, 0xAE, 0x47, 0xA2};
#endif
    std::ifstream file(std::string(VELVETINE_VST3_BUNDLE) + "/Contents/Resources/moduleinfo.json");
    std::stringstream moduleinfo;
    moduleinfo << file.rdbuf();
    ASSERT_NE(moduleinfo.str().find("\"Vendor\": \"Fernhollowstudios\""), std::string::npos);

    const struct {
        const char* cid;
        const char* category;
        const char* subCategories;
        uint32_t flags;
    } expected[] = {
        {Identity::kVst3ProcessorClassId, "Audio Module Class", "Fx|Filter", 1},
        {Identity::kVst3ControllerClassId, "Component Controller Class", "", 0},
    };
    for (int32_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(expected[i].category);
        ASSERT_EQ(factory3->getClassInfoUnicode(i, &unicode), vst3::kResultOk);
        vst3::PClassInfo2 info2;
        ASSERT_EQ(factory3->getClassInfo2(i, &info2), vst3::kResultOk);
        const vst3::Uid cid = vst3::UidOfText(expected[i].cid);
        EXPECT_EQ(std::memcmp(unicode.cid, cid.bytes, 16), 0);
        EXPECT_EQ(std::memcmp(info2.cid, cid.bytes, 16), 0);
        EXPECT_EQ(unicode.cardinality, vst3::kManyInstances);
        EXPECT_STREQ(unicode.category, expected[i].category);
        EXPECT_EQ(Utf8(unicode.name), "QM Velvetine");
        EXPECT_STREQ(info2.name, "QM Velvetine");
        EXPECT_EQ(unicode.classFlags, expected[i].flags);
        EXPECT_STREQ(unicode.subCategories, expected[i].subCategories);
        EXPECT_EQ(Utf8(unicode.vendor), "Fernhollowstudios");
        EXPECT_EQ(Utf8(unicode.version), Identity::kVersion);
        EXPECT_EQ(Utf8(unicode.sdkVersion), info2.sdkVersion);
        // moduleinfo.json names the class by its 32 digits, with the category after it.
        const size_t at = moduleinfo.str().find(std::string("\"CID\": \"") + expected[i].cid + "\"");
        ASSERT_NE(at, std::string::npos);
        EXPECT_EQ(moduleinfo.str().find(std::string("\"Category\": \"") + expected[i].category + "\""),
                  moduleinfo.str().find("\"Category\"", at));
    }
    ASSERT_EQ(factory3->getClassInfoUnicode(0, &unicode), vst3::kResultOk);
    EXPECT_EQ(std::memcmp(unicode.cid, processorFirstBytes, 8), 0);
    EXPECT_NE(moduleinfo.str().find("\"Sub Categories\": [\"Fx\", \"Filter\"]"), std::string::npos);

    void* made = &made;
    const vst3::Uid unknownClass = vst3::UidOfText("0123456789ABCDEF0123456789ABCDEF");
    EXPECT_NE(factory->createInstance(vst3::IidOf(unknownClass), vst3::IidOf(vst3::kIComponentIid), &made),
              vst3::kResultOk);
    EXPECT_EQ(made, nullptr);
    const vst3::Uid controller = vst3::UidOfText(Identity::kVst3ControllerClassId);
    EXPECT_EQ(factory->createInstance(vst3::IidOf(controller), vst3::IidOf(vst3::kIComponentIid), &made),
              vst3::kNoInterface)
        << "the controller is no component";
    EXPECT_EQ(made, nullptr);
}

// Windows hosts also load a module that is a plain X.vst3 DLL; elsewhere the binary is only
// ever loaded through its bundle.
TEST(Vst3Driver, OpensTheBinaryItselfWhereItIsAVst3File)
{
    const std::string binary = Vst3BinaryOf(VELVETINE_VST3_BUNDLE);
    if (binary.size() < 5 || binary.compare(binary.size() - 5, 5, ".vst3") != 0)
        GTEST_SKIP() << binary << " is loaded through its bundle only";
    OpenedPluginFile opened = OpenPluginFile(binary);
    ASSERT_TRUE(opened.file) << opened.problem << opened.systemError;
    EXPECT_STREQ(opened.file->Standard(), "VST3");
    std::string error;
    EXPECT_TRUE(opened.file->NewInstance(44100.0, 64, error)) << error;
}

TEST_F(Vst3Pair, BusesAreOneStereoPairAndOtherArrangementsAreRefused)
{
    vst3::TUID controllerId;
    ASSERT_EQ(component->getControllerClassId(controllerId), vst3::kResultOk);
    EXPECT_EQ(std::memcmp(controllerId, vst3::UidOfText(Identity::kVst3ControllerClassId).bytes, 16), 0);
    for (int32_t direction : {vst3::kInput, vst3::kOutput}) {
        EXPECT_EQ(component->getBusCount(vst3::kAudio, direction), 1);
        EXPECT_EQ(component->getBusCount(vst3::kEvent, direction), 0);
        vst3::BusInfo bus;
        ASSERT_EQ(component->getBusInfo(vst3::kAudio, direction, 0, bus), vst3::kResultOk);
        EXPECT_EQ(bus.channelCount, 2);
        EXPECT_EQ(bus.busType, vst3::kMain);
        EXPECT_NE(component->getBusInfo(vst3::kAudio, direction, 1, bus), vst3::kResultOk);
        EXPECT_EQ(component->activateBus(vst3::kAudio, direction, 0, 1), vst3::kResultOk);
    }
    vst3::SpeakerArrangement mono = vst3::kSpeakerL, stereo = vst3::kStereo, surround = 0x3F;
    vst3::SpeakerArrangement pair[2] = {vst3::kStereo, vst3::kStereo};
    EXPECT_EQ(processor->setBusArrangements(&mono, 1, &mono, 1), vst3::kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &surround, 1), vst3::kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(pair, 2, pair, 2), vst3::kResultFalse);
    EXPECT_EQ(processor->setBusArrangements(nullptr, 1, nullptr, 1), vst3::kResultFalse);
    vst3::SpeakerArrangement kept = 0;
    ASSERT_EQ(processor->getBusArrangement(vst3::kOutput, 0, kept), vst3::kResultOk);
    EXPECT_EQ(kept, vst3::kStereo);
    EXPECT_EQ(processor->setBusArrangements(&stereo, 1, &stereo, 1), vst3::kResultOk);
    EXPECT_EQ(processor->canProcessSampleSize(vst3::kSample32), vst3::kResultTrue);
    EXPECT_EQ(processor->canProcessSampleSize(vst3::kSample64), vst3::kResultTrue);
    EXPECT_EQ(processor->canProcessSampleSize(2), vst3::kResultFalse);
    EXPECT_EQ(processor->getLatencySamples(), 0u);
    EXPECT_EQ(processor->getTailSamples(), 16u);
    // Hosts since 3.7 ask which parts of the process context a processor reads: none.
    Held<vst3::IProcessContextRequirements> requirements(
        Query<vst3::IProcessContextRequirements>(component.object, vst3::kIProcessContextRequirementsIid));
    ASSERT_TRUE(requirements.object);
    EXPECT_EQ(requirements.object->getProcessContextRequirements(), 0u);
}

TEST_F(Vst3Pair, ParameterIsAListOfFiveStepsWithTheirTextsBothWays)
{
    ASSERT_EQ(controller->getParameterCount(), 1);
    vst3::ParameterInfo info;
    ASSERT_EQ(controller->getParameterInfo(0, info), vst3::kResultOk);
    EXPECT_NE(controller->getParameterInfo(1, info), vst3::kResultOk);
    EXPECT_EQ(info.id, 0u);
    EXPECT_EQ(Utf8(info.title), "Oversampling");
    EXPECT_EQ(info.stepCount, 4);
    EXPECT_EQ(info.defaultNormalizedValue, 0.0);
    EXPECT_EQ(info.flags, vst3::ParameterInfo::kCanAutomate | vst3::ParameterInfo::kIsList);
    EXPECT_EQ(controller->getParamNormalized(0), 0.0);

    const char* texts[] = {"2x", "4x", "8x", "16x", "32x"};
    for (int step = 0; step < 5; ++step) {
        SCOPED_TRACE(texts[step]);
        const double normalized = step / 4.0;
        vst3::String128 text;
        ASSERT_EQ(controller->getParamStringByValue(0, normalized, text), vst3::kResultOk);
        EXPECT_EQ(Utf8(text), texts[step]);
        double value = -1.0;
        ASSERT_EQ(controller->getParamValueByString(0, text, value), vst3::kResultOk);
        EXPECT_EQ(value, normalized);
        EXPECT_EQ(controller->normalizedParamToPlain(0, normalized), step);
        EXPECT_EQ(controller->plainParamToNormalized(0, step), normalized);
    }
    // Each step owns a fifth of the range, as hosts map a list's values.
    EXPECT_EQ(controller->normalizedParamToPlain(0, 0.39), 1.0);
    EXPECT_EQ(controller->normalizedParamToPlain(0, 0.41), 2.0);
    double value = -1.0;
    EXPECT_EQ(controller->getParamValueByString(0, Utf16(" 16 ").data(), value), vst3::kResultOk);
    EXPECT_EQ(value, 0.75);
    EXPECT_NE(controller->getParamValueByString(0, Utf16("3x").data(), value), vst3::kResultOk);
    EXPECT_NE(controller->getParamValueByString(7, Utf16("8x").data(), value), vst3::kResultOk);
    EXPECT_EQ(controller->setParamNormalized(0, 1.0), vst3::kResultOk);
    EXPECT_EQ(controller->getParamNormalized(0), 1.0);
}

TEST_F(Vst3Pair, FlushedParameterIsSavedAndTheStateRoundTripsThroughShortReadsAndWrites)
{
    Activate(64);
    ASSERT_EQ(Flush(0.75), vst3::kResultOk);
    CVst3MemoryStream saved({}, 1);
    ASSERT_EQ(component->getState(&saved), vst3::kResultOk);
    ASSERT_EQ(saved.Bytes().size(), 12u);

    Held<vst3::IComponent> other(
        Create<vst3::IComponent>(Identity::kVst3ProcessorClassId, vst3::kIComponentIid, &hostApplication));
    ASSERT_TRUE(other);
    CVst3MemoryStream input(saved.Bytes(), 1);
    ASSERT_EQ(other->setState(&input), vst3::kResultOk);
    CVst3MemoryStream again;
    ASSERT_EQ(other->getState(&again), vst3::kResultOk);
    EXPECT_EQ(again.Bytes(), saved.Bytes());
    other->terminate();

    // The controller shows the processor's state, as hosts restore it.
    CVst3MemoryStream forController(saved.Bytes(), 5);
    ASSERT_EQ(controller->setComponentState(&forController), vst3::kResultOk);
    EXPECT_EQ(controller->getParamNormalized(0), 0.75);
}

TEST_F(Vst3Pair, HostileStatesAreRefusedAndChangeNothing)
{
    Activate(64);
    ASSERT_EQ(Flush(1.0), vst3::kResultOk);
    const std::vector<uint8_t> good = SavedState();
    ASSERT_EQ(Flush(0.5), vst3::kResultOk);
    ASSERT_EQ(controller->setParamNormalized(0, 0.5), vst3::kResultOk);
    const std::vector<uint8_t> before = SavedState();
    const auto refuse = [&](const std::vector<uint8_t>& bytes, const std::string& what) {
        CVst3MemoryStream forComponent(bytes, 3), forController(bytes, 3);
        EXPECT_EQ(component->setState(&forComponent), vst3::kResultFalse) << what;
        EXPECT_EQ(controller->setComponentState(&forController), vst3::kResultFalse) << what;
        EXPECT_EQ(SavedState(), before) << what;
        EXPECT_EQ(controller->getParamNormalized(0), 0.5) << what;
    };
    for (size_t length = 0; length < good.size(); ++length)
        refuse(std::vector<uint8_t>(good.begin(), good.begin() + length), "the first " + std::to_string(length) + " bytes");
    for (size_t at = 0; at < good.size(); ++at) {
        std::vector<uint8_t> foreign = good;
        foreign[at] ^= 0x80;
        refuse(foreign, "byte " + std::to_string(at) + " changed");
    }
    EXPECT_EQ(component->setState(nullptr), vst3::kResultFalse);
    EXPECT_EQ(controller->setComponentState(nullptr), vst3::kResultFalse);
    EXPECT_EQ(component->getState(nullptr), vst3::kResultFalse);
}

// Noise through the processor in blocks, in place, each block with its parameter points
// (offset, normalized value); `lists` false passes no parameter lists at all.
struct Block {
    int32_t frames;
    std::vector<std::pair<int32_t, double>> points;
};

std::vector<double> Render(vst3::IAudioProcessor* processor, const std::vector<Block>& blocks, unsigned seed,
                           bool lists = true)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> output;
    for (const Block& block : blocks) {
        std::vector<double> left(size_t(block.frames)), right(size_t(block.frames));
        for (int32_t i = 0; i < block.frames; ++i) {
            left[size_t(i)] = uniform(random);
            right[size_t(i)] = uniform(random);
        }
        double* channels[2] = {left.data(), right.data()};
        vst3::AudioBusBuffers audio = {};
        audio.numChannels = 2;
        audio.channelBuffers64 = channels;
        CVst3ParameterChanges changes, outputs;
        for (const auto& point : block.points)
            changes.Add(0, point.first, point.second);
        vst3::ProcessData data = {};
        data.symbolicSampleSize = vst3::kSample64;
        data.numSamples = block.frames;
        data.numInputs = data.numOutputs = 1;
        data.inputs = data.outputs = &audio;
        data.inputParameterChanges = lists ? &changes : nullptr;
        data.outputParameterChanges = lists ? &outputs : nullptr;
        EXPECT_EQ(processor->process(data), vst3::kResultOk);
        for (int32_t i = 0; i < block.frames; ++i) {
            output.push_back(left[size_t(i)]);
            output.push_back(right[size_t(i)]);
        }
    }
    return output;
}

TEST_F(Vst3Pair, ParameterChangesTakeEffectAtTheirSampleOffset)
{
    constexpr int32_t kFrames = 400;
    constexpr unsigned kSeed = 77;
    for (int32_t at : {0, 1, 123, 399}) {
        SCOPED_TRACE("change at sample " + std::to_string(at) + ", noise seed " + std::to_string(kSeed));
        Held<vst3::IAudioProcessor> split(Query<vst3::IAudioProcessor>(
            Create<vst3::IComponent>(Identity::kVst3ProcessorClassId, vst3::kIComponentIid, &hostApplication),
            vst3::kIAudioProcessorIid));
        ASSERT_TRUE(split);
        split->release();  // the component's own reference: the query holds the instance
        component->setActive(0);
        Activate(kFrames);
        vst3::ProcessSetup setup = {vst3::kRealtime, vst3::kSample64, kFrames, 48000.0};
        ASSERT_EQ(split->setupProcessing(setup), vst3::kResultOk);
        Held<vst3::IComponent> splitComponent(Query<vst3::IComponent>(split.object, vst3::kIComponentIid));
        ASSERT_EQ(splitComponent->setActive(1), vst3::kResultOk);

        const std::vector<double> inBlock = Render(processor.object, {{kFrames, {{at, 0.75}}}}, kSeed);
        const std::vector<double> inTwo = Render(split.object, {{at, {}}, {kFrames - at, {{0, 0.75}}}}, kSeed);
        EXPECT_EQ(inBlock, inTwo);
        component->setActive(0);
        component->setActive(1);  // activation starts from silence
        ASSERT_EQ(Flush(0.0), vst3::kResultOk);
        const std::vector<double> unchanged = Render(processor.object, {{kFrames, {}}}, kSeed, false);
        EXPECT_TRUE(std::equal(inBlock.begin(), inBlock.begin() + 2 * at, unchanged.begin()));
        EXPECT_FALSE(std::equal(inBlock.begin() + 2 * at, inBlock.end(), unchanged.begin() + 2 * at));
        splitComponent->setActive(0);
        splitComponent->terminate();
    }
}

TEST_F(Vst3Pair, AZeroSampleBlockAppliesItsChangeAndMisusedCallsAreRefused)
{
    vst3::ProcessData empty = {};
    EXPECT_EQ(processor->process(empty), vst3::kResultFalse) << "processing while inactive";
    EXPECT_EQ(processor->setProcessing(1), vst3::kResultFalse) << "starting while inactive";
    EXPECT_EQ(processor->setProcessing(0), vst3::kResultOk) << "stopping is always fine";
    vst3::ProcessSetup bad = {vst3::kRealtime, vst3::kSample32, 64, 0.0};
    EXPECT_EQ(processor->setupProcessing(bad), vst3::kResultFalse);
    Activate(64);
    EXPECT_EQ(processor->process(empty), vst3::kResultOk) << "no buffers, no lists";
    // The change flushed alone is what a block carrying it at offset 0 would apply.
    ASSERT_EQ(Flush(0.5), vst3::kResultOk);
    const std::vector<double> flushed = Render(processor.object, {{100, {}}}, 5, false);
    component->setActive(0);
    component->setActive(1);
    const std::vector<double> carried = Render(processor.object, {{100, {{0, 0.5}}}}, 5);
    EXPECT_EQ(flushed, carried);
    component->setActive(0);
    component->setActive(1);
    ASSERT_EQ(Flush(0.0), vst3::kResultOk);
    EXPECT_NE(Render(processor.object, {{100, {}}}, 5), carried);

    // Audio without output buffers is skipped, not written through.
    vst3::AudioBusBuffers none = {};
    none.numChannels = 2;
    vst3::ProcessData noBuffers = {};
    noBuffers.numSamples = 32;
    noBuffers.numInputs = noBuffers.numOutputs = 1;
    noBuffers.inputs = noBuffers.outputs = &none;
    EXPECT_EQ(processor->process(noBuffers), vst3::kResultOk);
    EXPECT_EQ(component->setActive(0), vst3::kResultOk);
    EXPECT_EQ(processor->process(empty), vst3::kResultFalse) << "processing after deactivation";
}

}  // namespace
