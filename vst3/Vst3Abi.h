#pragma once

// The VST3 interfaces this plug-in and the project's host use, declared here from the
// published facts (method order, interface identifiers, result codes, struct layouts) so that
// the project needs no outside headers. Each interface is an abstract class whose first
// three methods are FUnknown's and whose methods follow in their published order, which is
// the vtable a host calls: no virtual destructors, which would add slots. Methods use
// __stdcall on Windows; structs are packed to 8 bytes there, as Windows hosts lay them out.

#include <cstdint>

#if defined(_WIN32)
#define VST3_API __stdcall
#define VST3_COM_BYTE_ORDER 1
#else
#define VST3_API
#define VST3_COM_BYTE_ORDER 0
#endif

#if defined(_WIN32)
#pragma pack(push, 8)
#endif

namespace vst3 {

typedef int32_t tresult;
typedef uint8_t TBool;
typedef char16_t char16;
typedef char16 String128[128];
typedef char TUID[16];
typedef const char* FIDString;
typedef uint32_t ParamID;
typedef double ParamValue;
typedef uint64_t SpeakerArrangement;

// Windows hosts take COM's HRESULTs; elsewhere the small numbers.
#if VST3_COM_BYTE_ORDER
constexpr tresult kNoInterface = static_cast<tresult>(0x80004002u);
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = static_cast<tresult>(0x80070057u);
constexpr tresult kNotImplemented = static_cast<tresult>(0x80004001u);
constexpr tresult kInternalError = static_cast<tresult>(0x80004005u);
constexpr tresult kNotInitialized = static_cast<tresult>(0x8000FFFFu);
constexpr tresult kOutOfMemory = static_cast<tresult>(0x8007000Eu);
#else
constexpr tresult kNoInterface = -1;
constexpr tresult kResultOk = 0;
constexpr tresult kResultTrue = 0;
constexpr tresult kResultFalse = 1;
constexpr tresult kInvalidArgument = 2;
constexpr tresult kNotImplemented = 3;
constexpr tresult kInternalError = 4;
constexpr tresult kNotInitialized = 5;
constexpr tresult kOutOfMemory = 6;
#endif

// An interface or class identifier: 16 bytes, compared bytewise.
struct Uid {
    uint8_t bytes[16];
};

// The identifier written as four 32-bit words (as identifiers are published and as
// moduleinfo.json prints them). On Windows the first eight bytes are in the order of COM's
// GUID (a little-endian 32-bit word, then two little-endian 16-bit words); elsewhere every
// byte is in the written order.
constexpr Uid UidOfWords(uint32_t l1, uint32_t l2, uint32_t l3, uint32_t l4)
{
    Uid uid = {};
    const uint32_t words[4] = {l1, l2, l3, l4};
    for (int w = 0; w < 4; ++w)
        for (int b = 0; b < 4; ++b)
            uid.bytes[4 * w + b] = static_cast<uint8_t>(words[w] >> (24 - 8 * b));
#if VST3_COM_BYTE_ORDER
    for (int b = 0; b < 4; ++b)
        uid.bytes[b] = static_cast<uint8_t>(l1 >> (8 * b));
    uid.bytes[4] = static_cast<uint8_t>(l2 >> 16);
    uid.bytes[5] = static_cast<uint8_t>(l2 >> 24);
    uid.bytes[6] = static_cast<uint8_t>(l2);
    uid.bytes[7] = static_cast<uint8_t>(l2 >> 8);
#endif
    return uid;
}

constexpr uint32_t HexDigit(char c)
{
    return c >= '0' && c <= '9' ? uint32_t(c - '0') : c >= 'A' && c <= 'F' ? uint32_t(c - 'A' + 10) : uint32_t(c - 'a' + 10);
}

constexpr uint32_t HexWord(const char* text)
{
    uint32_t word = 0;
    for (int i = 0; i < 8; ++i)
        word = (word << 4) | HexDigit(text[i]);
    return word;
}

// The identifier of 32 hexadecimal digits, the four words written one after another.
constexpr Uid UidOfText(const char* text)
{
    return UidOfWords(HexWord(text), HexWord(text + 8), HexWord(text + 16), HexWord(text + 24));
}

// ---- the base interfaces -------------------------------------------------------------------

class FUnknown {
public:
    virtual tresult VST3_API queryInterface(const TUID iid, void** object) = 0;
    virtual uint32_t VST3_API addRef() = 0;
    virtual uint32_t VST3_API release() = 0;
};
constexpr Uid kFUnknownIid = UidOfWords(0x00000000, 0x00000000, 0xC0000000, 0x00000046);

class IPluginBase : public FUnknown {
public:
    virtual tresult VST3_API initialize(FUnknown* context) = 0;
    virtual tresult VST3_API terminate() = 0;
};
constexpr Uid kIPluginBaseIid = UidOfWords(0x22888DDB, 0x156E45AE, 0x8358B348, 0x08190625);

// seek modes: kIBSeekSet 0, kIBSeekCur 1, kIBSeekEnd 2.
class IBStream : public FUnknown {
public:
    virtual tresult VST3_API read(void* buffer, int32_t numBytes, int32_t* numBytesRead) = 0;
    virtual tresult VST3_API write(void* buffer, int32_t numBytes, int32_t* numBytesWritten) = 0;
    virtual tresult VST3_API seek(int64_t position, int32_t mode, int64_t* result) = 0;
    virtual tresult VST3_API tell(int64_t* position) = 0;
};
constexpr Uid kIBStreamIid = UidOfWords(0xC3BF6EA2, 0x30994752, 0x9B6BF990, 0x1EE33E9B);

// ---- the factory ---------------------------------------------------------------------------

struct PFactoryInfo {
    enum : int32_t { kClassesDiscardable = 1 << 0, kLicenseCheck = 1 << 1, kComponentNonDiscardable = 1 << 3, kUnicode = 1 << 4 };
    char vendor[64];
    char url[256];
    char email[128];
    int32_t flags;
};

constexpr int32_t kManyInstances = 0x7FFFFFFF;

struct PClassInfo {
    TUID cid;
    int32_t cardinality;
    char category[32];
    char name[64];
};

struct PClassInfo2 {
    TUID cid;
    int32_t cardinality;
    char category[32];
    char name[64];
    uint32_t classFlags;
    char subCategories[128];
    char vendor[64];
    char version[64];
    char sdkVersion[64];
};

struct PClassInfoW {
    TUID cid;
    int32_t cardinality;
    char category[32];
    char16 name[64];
    uint32_t classFlags;
    char subCategories[128];
    char16 vendor[64];
    char16 version[64];
    char16 sdkVersion[64];
};

// Class flags of a component: it may run in another process or machine than its controller.
constexpr uint32_t kDistributable = 1 << 0;

class IPluginFactory : public FUnknown {
public:
    virtual tresult VST3_API getFactoryInfo(PFactoryInfo* info) = 0;
    virtual int32_t VST3_API countClasses() = 0;
    virtual tresult VST3_API getClassInfo(int32_t index, PClassInfo* info) = 0;
    virtual tresult VST3_API createInstance(FIDString cid, FIDString iid, void** object) = 0;
};
constexpr Uid kIPluginFactoryIid = UidOfWords(0x7A4D811C, 0x52114A1F, 0xAED9D2EE, 0x0B43BF9F);

class IPluginFactory2 : public IPluginFactory {
public:
    virtual tresult VST3_API getClassInfo2(int32_t index, PClassInfo2* info) = 0;
};
constexpr Uid kIPluginFactory2Iid = UidOfWords(0x0007B650, 0xF24B4C0B, 0xA464EDB9, 0xF00B2ABB);

class IPluginFactory3 : public IPluginFactory2 {
public:
    virtual tresult VST3_API getClassInfoUnicode(int32_t index, PClassInfoW* info) = 0;
    virtual tresult VST3_API setHostContext(FUnknown* context) = 0;
};
constexpr Uid kIPluginFactory3Iid = UidOfWords(0x4555A2AB, 0xC1234E57, 0x9B122910, 0x36878931);

constexpr const char* kVstAudioEffectClass = "Audio Module Class";
constexpr const char* kVstComponentControllerClass = "Component Controller Class";

// ---- host application and messages -----------------------------------------------------------

class IHostApplication : public FUnknown {
public:
    virtual tresult VST3_API getName(String128 name) = 0;
    virtual tresult VST3_API createInstance(TUID cid, TUID iid, void** object) = 0;
};
constexpr Uid kIHostApplicationIid = UidOfWords(0x58E595CC, 0xDB2D4969, 0x8B6AAF8C, 0x36A664E5);

class IAttributeList : public FUnknown {
public:
    virtual tresult VST3_API setInt(const char* id, int64_t value) = 0;
    virtual tresult VST3_API getInt(const char* id, int64_t& value) = 0;
    virtual tresult VST3_API setFloat(const char* id, double value) = 0;
    virtual tresult VST3_API getFloat(const char* id, double& value) = 0;
    virtual tresult VST3_API setString(const char* id, const char16* string) = 0;
    virtual tresult VST3_API getString(const char* id, char16* string, uint32_t sizeInBytes) = 0;
    virtual tresult VST3_API setBinary(const char* id, const void* data, uint32_t sizeInBytes) = 0;
    virtual tresult VST3_API getBinary(const char* id, const void*& data, uint32_t& sizeInBytes) = 0;
};

class IMessage : public FUnknown {
public:
    virtual FIDString VST3_API getMessageID() = 0;
    virtual void VST3_API setMessageID(FIDString id) = 0;
    virtual IAttributeList* VST3_API getAttributes() = 0;
};
constexpr Uid kIMessageIid = UidOfWords(0x936F033B, 0xC6C047DB, 0xBB0882F8, 0x13C1E613);

class IConnectionPoint : public FUnknown {
public:
    virtual tresult VST3_API connect(IConnectionPoint* other) = 0;
    virtual tresult VST3_API disconnect(IConnectionPoint* other) = 0;
    virtual tresult VST3_API notify(IMessage* message) = 0;
};
constexpr Uid kIConnectionPointIid = UidOfWords(0x70A4156F, 0x6E6E4026, 0x989148BF, 0xAA60D8D1);

// ---- the component ---------------------------------------------------------------------------

enum MediaTypes : int32_t { kAudio = 0, kEvent = 1 };
enum BusDirections : int32_t { kInput = 0, kOutput = 1 };
enum BusTypes : int32_t { kMain = 0, kAux = 1 };
constexpr uint32_t kDefaultActive = 1 << 0;

struct BusInfo {
    int32_t mediaType;
    int32_t direction;
    int32_t channelCount;
    String128 name;
    int32_t busType;
    uint32_t flags;
};

struct RoutingInfo {
    int32_t mediaType;
    int32_t busIndex;
    int32_t channel;
};

class IComponent : public IPluginBase {
public:
    virtual tresult VST3_API getControllerClassId(TUID classId) = 0;
    virtual tresult VST3_API setIoMode(int32_t mode) = 0;
    virtual int32_t VST3_API getBusCount(int32_t type, int32_t direction) = 0;
    virtual tresult VST3_API getBusInfo(int32_t type, int32_t direction, int32_t index, BusInfo& bus) = 0;
    virtual tresult VST3_API getRoutingInfo(RoutingInfo& input, RoutingInfo& output) = 0;
    virtual tresult VST3_API activateBus(int32_t type, int32_t direction, int32_t index, TBool state) = 0;
    virtual tresult VST3_API setActive(TBool state) = 0;
    virtual tresult VST3_API setState(IBStream* state) = 0;
    virtual tresult VST3_API getState(IBStream* state) = 0;
};
constexpr Uid kIComponentIid = UidOfWords(0xE831FF31, 0xF2D54301, 0x928EBBEE, 0x25697802);

// ---- the audio processor ----------------------------------------------------------------------

constexpr SpeakerArrangement kSpeakerL = 1 << 0;
constexpr SpeakerArrangement kSpeakerR = 1 << 1;
constexpr SpeakerArrangement kStereo = kSpeakerL | kSpeakerR;

enum SymbolicSampleSizes : int32_t { kSample32 = 0, kSample64 = 1 };
enum ProcessModes : int32_t { kRealtime = 0, kPrefetch = 1, kOffline = 2 };

struct ProcessSetup {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t maxSamplesPerBlock;
    double sampleRate;
};

class IParamValueQueue : public FUnknown {
public:
    virtual ParamID VST3_API getParameterId() = 0;
    virtual int32_t VST3_API getPointCount() = 0;
    virtual tresult VST3_API getPoint(int32_t index, int32_t& sampleOffset, ParamValue& value) = 0;
    virtual tresult VST3_API addPoint(int32_t sampleOffset, ParamValue value, int32_t& index) = 0;
};
constexpr Uid kIParamValueQueueIid = UidOfWords(0x01263A18, 0xED074F6F, 0x98C9D356, 0x4686F9BA);

class IParameterChanges : public FUnknown {
public:
    virtual int32_t VST3_API getParameterCount() = 0;
    virtual IParamValueQueue* VST3_API getParameterData(int32_t index) = 0;
    virtual IParamValueQueue* VST3_API addParameterData(const ParamID& id, int32_t& index) = 0;
};
constexpr Uid kIParameterChangesIid = UidOfWords(0xA4779663, 0x0BB64A56, 0xB44384A8, 0x466FEB9D);

struct AudioBusBuffers {
    int32_t numChannels;
    uint64_t silenceFlags;
    union {
        float** channelBuffers32;
        double** channelBuffers64;
    };
};

class IEventList;
struct ProcessContext;

struct ProcessData {
    int32_t processMode;
    int32_t symbolicSampleSize;
    int32_t numSamples;
    int32_t numInputs;
    int32_t numOutputs;
    AudioBusBuffers* inputs;
    AudioBusBuffers* outputs;
    IParameterChanges* inputParameterChanges;
    IParameterChanges* outputParameterChanges;
    IEventList* inputEvents;
    IEventList* outputEvents;
    ProcessContext* processContext;
};

class IAudioProcessor : public FUnknown {
public:
    virtual tresult VST3_API setBusArrangements(SpeakerArrangement* inputs, int32_t numIns,
                                                SpeakerArrangement* outputs, int32_t numOuts) = 0;
    virtual tresult VST3_API getBusArrangement(int32_t direction, int32_t index, SpeakerArrangement& arrangement) = 0;
    virtual tresult VST3_API canProcessSampleSize(int32_t symbolicSampleSize) = 0;
    virtual uint32_t VST3_API getLatencySamples() = 0;
    virtual tresult VST3_API setupProcessing(ProcessSetup& setup) = 0;
    virtual tresult VST3_API setProcessing(TBool state) = 0;
    virtual tresult VST3_API process(ProcessData& data) = 0;
    virtual uint32_t VST3_API getTailSamples() = 0;
};
constexpr Uid kIAudioProcessorIid = UidOfWords(0x42043F99, 0xB7DA453C, 0xA569E79D, 0x9AAEC33D);

// Which fields of the process context the processor reads; hosts may fill only those.
class IProcessContextRequirements : public FUnknown {
public:
    virtual uint32_t VST3_API getProcessContextRequirements() = 0;
};
constexpr Uid kIProcessContextRequirementsIid =
    UidOfWords(0x2A654303, 0xEF764E3D, 0x95B5FE83, 0x730EF6D0);

// ---- the edit controller ------------------------------------------------------------------------

struct ParameterInfo {
    enum : int32_t { kCanAutomate = 1 << 0, kIsReadOnly = 1 << 1, kIsWrapAround = 1 << 2, kIsList = 1 << 3 };
    ParamID id;
    String128 title;
    String128 shortTitle;
    String128 units;
    int32_t stepCount;
    ParamValue defaultNormalizedValue;
    int32_t unitId;
    int32_t flags;
};

class IComponentHandler : public FUnknown {
public:
    virtual tresult VST3_API beginEdit(ParamID id) = 0;
    virtual tresult VST3_API performEdit(ParamID id, ParamValue valueNormalized) = 0;
    virtual tresult VST3_API endEdit(ParamID id) = 0;
    virtual tresult VST3_API restartComponent(int32_t flags) = 0;
};
constexpr Uid kIComponentHandlerIid = UidOfWords(0x93A0BEA3, 0x0BD045DB, 0x8E890B0C, 0xC1E46AC6);

class IPlugView;

class IEditController : public IPluginBase {
public:
    virtual tresult VST3_API setComponentState(IBStream* state) = 0;
    virtual tresult VST3_API setState(IBStream* state) = 0;
    virtual tresult VST3_API getState(IBStream* state) = 0;
    virtual int32_t VST3_API getParameterCount() = 0;
    virtual tresult VST3_API getParameterInfo(int32_t index, ParameterInfo& info) = 0;
    virtual tresult VST3_API getParamStringByValue(ParamID id, ParamValue valueNormalized, String128 string) = 0;
    virtual tresult VST3_API getParamValueByString(ParamID id, char16* string, ParamValue& valueNormalized) = 0;
    virtual ParamValue VST3_API normalizedParamToPlain(ParamID id, ParamValue valueNormalized) = 0;
    virtual ParamValue VST3_API plainParamToNormalized(ParamID id, ParamValue plainValue) = 0;
    virtual ParamValue VST3_API getParamNormalized(ParamID id) = 0;
    virtual tresult VST3_API setParamNormalized(ParamID id, ParamValue value) = 0;
    virtual tresult VST3_API setComponentHandler(IComponentHandler* handler) = 0;
    virtual IPlugView* VST3_API createView(FIDString name) = 0;
};
constexpr Uid kIEditControllerIid = UidOfWords(0xDCD7BBE3, 0x7742448D, 0xA874AACC, 0x979C759E);

constexpr const char* kEditorViewName = "editor";

// ---- the editor view -----------------------------------------------------------------------------

struct ViewRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

constexpr const char* kPlatformTypeHWND = "HWND";
constexpr const char* kPlatformTypeX11EmbedWindowID = "X11EmbedWindowID";

class IPlugFrame;

class IPlugView : public FUnknown {
public:
    virtual tresult VST3_API isPlatformTypeSupported(FIDString type) = 0;
    virtual tresult VST3_API attached(void* parent, FIDString type) = 0;
    virtual tresult VST3_API removed() = 0;
    virtual tresult VST3_API onWheel(float distance) = 0;
    virtual tresult VST3_API onKeyDown(char16 key, int16_t keyCode, int16_t modifiers) = 0;
    virtual tresult VST3_API onKeyUp(char16 key, int16_t keyCode, int16_t modifiers) = 0;
    virtual tresult VST3_API getSize(ViewRect* size) = 0;
    virtual tresult VST3_API onSize(ViewRect* newSize) = 0;
    virtual tresult VST3_API onFocus(TBool state) = 0;
    virtual tresult VST3_API setFrame(IPlugFrame* frame) = 0;
    virtual tresult VST3_API canResize() = 0;
    virtual tresult VST3_API checkSizeConstraint(ViewRect* rect) = 0;
};
constexpr Uid kIPlugViewIid = UidOfWords(0x5BC32507, 0xD06049EA, 0xA6151B52, 0x2B755B29);

class IPlugFrame : public FUnknown {
public:
    virtual tresult VST3_API resizeView(IPlugView* view, ViewRect* newSize) = 0;
};
constexpr Uid kIPlugFrameIid = UidOfWords(0x367FAF01, 0xAFA94693, 0x8D4DA2A0, 0xED0882A3);

// Linux hosts serve their plug-ins' window-system events from their own loop.
class IEventHandler : public FUnknown {
public:
    virtual void VST3_API onFDIsSet(int fd) = 0;
};
constexpr Uid kIEventHandlerIid = UidOfWords(0x561E65C9, 0x13A0496F, 0x813A2C35, 0x654D7983);

class ITimerHandler : public FUnknown {
public:
    virtual void VST3_API onTimer() = 0;
};
constexpr Uid kITimerHandlerIid = UidOfWords(0x10BDD94F, 0x41424774, 0x821FAD8F, 0xECA72CA9);

class IRunLoop : public FUnknown {
public:
    virtual tresult VST3_API registerEventHandler(IEventHandler* handler, int fd) = 0;
    virtual tresult VST3_API unregisterEventHandler(IEventHandler* handler) = 0;
    virtual tresult VST3_API registerTimer(ITimerHandler* handler, uint64_t milliseconds) = 0;
    virtual tresult VST3_API unregisterTimer(ITimerHandler* handler) = 0;
};
constexpr Uid kIRunLoopIid = UidOfWords(0x18C35366, 0x97764F1A, 0x9C5B8385, 0x7A871389);

// ---- helpers -------------------------------------------------------------------------------------

inline bool SameUid(const void* a, const Uid& b)
{
    if (!a)
        return false;
    const auto* bytes = static_cast<const uint8_t*>(a);
    for (int i = 0; i < 16; ++i)
        if (bytes[i] != b.bytes[i])
            return false;
    return true;
}

inline const char* IidOf(const Uid& uid) { return reinterpret_cast<const char*>(uid.bytes); }

}  // namespace vst3

#if defined(_WIN32)
#pragma pack(pop)
#endif

// The module's entry points: GetPluginFactory everywhere, InitDll / ExitDll on Windows and
// ModuleEntry / ModuleExit on Linux, called by hosts right after loading and before
// unloading.
extern "C" {
typedef vst3::IPluginFactory*(VST3_API* Vst3GetFactoryProc)();
typedef bool (*Vst3InitDllProc)();
typedef bool (*Vst3ExitDllProc)();
typedef bool (*Vst3ModuleEntryProc)(void* sharedLibraryHandle);
typedef bool (*Vst3ModuleExitProc)();
}
