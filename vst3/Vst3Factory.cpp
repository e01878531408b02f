#include "vst3/Vst3Factory.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "core/Identity.h"
#include "vst3/Vst3Controller.h"
#include "vst3/Vst3Processor.h"
#include "vst3/Vst3RefCount.h"

namespace {

// One class of the module: its identifier, category, flags and what makes an instance.
struct ClassEntry {
    vst3::Uid cid;
    const char* category;
    const char* subCategories;
    uint32_t flags;
    vst3::FUnknown* (*create)();
};

// Each made with the caller's one reference, as the interface the class is known by.
vst3::FUnknown* CreateProcessor() { return static_cast<vst3::IComponent*>(new CVst3Processor); }
vst3::FUnknown* CreateController() { return static_cast<vst3::IEditController*>(new CVst3Controller); }

const ClassEntry kClasses[] = {
    {vst3::UidOfText(Identity::kVst3ProcessorClassId), vst3::kVstAudioEffectClass, Identity::kVst3SubCategories,
     vst3::kDistributable, &CreateProcessor},
    {vst3::UidOfText(Identity::kVst3ControllerClassId), vst3::kVstComponentControllerClass, "", 0, &CreateController},
};
constexpr int32_t kClassCount = int32_t(sizeof kClasses / sizeof kClasses[0]);

template <size_t kSize>
void CopyText(char (&to)[kSize], const char* text)
{
    std::snprintf(to, kSize, "%s", text);
}

template <size_t kSize>
void CopyText(vst3::char16 (&to)[kSize], const char* text)
{
    size_t i = 0;
    for (; text[i] && i < kSize - 1; ++i)
        to[i] = vst3::char16(static_cast<unsigned char>(text[i]));
    to[i] = 0;
}

// The fields every kind of class info shares, in whichever characters it takes.
template <class Info>
void Describe(const ClassEntry& entry, Info* info)
{
    std::memset(info, 0, sizeof *info);
    std::memcpy(info->cid, entry.cid.bytes, sizeof info->cid);
    info->cardinality = vst3::kManyInstances;
    CopyText(info->category, entry.category);
    CopyText(info->name, Identity::kProductName);
}

template <class Info>
void DescribeMore(const ClassEntry& entry, Info* info)
{
    Describe(entry, info);
    info->classFlags = entry.flags;
    CopyText(info->subCategories, entry.subCategories);
    CopyText(info->vendor, Identity::kMaker);
    CopyText(info->version, Identity::kVersion);
    CopyText(info->sdkVersion, Identity::kVst3SdkVersion);
}

class CFactory final : public vst3::IPluginFactory3 {
public:
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override
    {
        if (!object)
            return vst3::kInvalidArgument;
        if (vst3::SameUid(iid, vst3::kFUnknownIid) || vst3::SameUid(iid, vst3::kIPluginFactoryIid) ||
            vst3::SameUid(iid, vst3::kIPluginFactory2Iid) || vst3::SameUid(iid, vst3::kIPluginFactory3Iid)) {
            *object = this;
            return vst3::kResultOk;
        }
        *object = nullptr;
        return vst3::kNoInterface;
    }
    // The factory is the module's: it outlives every reference.
    uint32_t VST3_API addRef() override { return 1; }
    uint32_t VST3_API release() override { return 1; }

    vst3::tresult VST3_API getFactoryInfo(vst3::PFactoryInfo* info) override
    {
        if (!info)
            return vst3::kInvalidArgument;
        std::memset(info, 0, sizeof *info);
        CopyText(info->vendor, Identity::kMaker);
        info->flags = vst3::PFactoryInfo::kUnicode;
        return vst3::kResultOk;
    }

    int32_t VST3_API countClasses() override { return kClassCount; }

    vst3::tresult VST3_API getClassInfo(int32_t index, vst3::PClassInfo* info) override
    {
        if (!info || index < 0 || index >= kClassCount)
            return vst3::kInvalidArgument;
        Describe(kClasses[index], info);
        return vst3::kResultOk;
    }

    vst3::tresult VST3_API getClassInfo2(int32_t index, vst3::PClassInfo2* info) override
    {
        if (!info || index < 0 || index >= kClassCount)
            return vst3::kInvalidArgument;
        DescribeMore(kClasses[index], info);
        return vst3::kResultOk;
    }

    vst3::tresult VST3_API getClassInfoUnicode(int32_t index, vst3::PClassInfoW* info) override
    {
        if (!info || index < 0 || index >= kClassCount)
            return vst3::kInvalidArgument;
        DescribeMore(kClasses[index], info);
        return vst3::kResultOk;
    }

    vst3::tresult VST3_API createInstance(vst3::FIDString cid, vst3::FIDString iid, void** object) override
    {
        if (!object)
            return vst3::kInvalidArgument;
        *object = nullptr;
        for (const ClassEntry& entry : kClasses) {
            if (!vst3::SameUid(cid, entry.cid))
                continue;
            vst3::FUnknown* instance = nullptr;
            try {
                instance = entry.create();
            } catch (const std::bad_alloc&) {
                return vst3::kOutOfMemory;
            }
            // The host's reference is the one queryInterface adds; the creator's goes.
            const vst3::tresult result = instance->queryInterface(iid, object);
            instance->release();
            return result;
        }
        return vst3::kInvalidArgument;
    }

    // The context is the host's application; the classes need nothing of it here.
    vst3::tresult VST3_API setHostContext(vst3::FUnknown*) override { return vst3::kResultOk; }
};

}  // namespace

vst3::IPluginFactory3* Vst3Factory()
{
    static CFactory factory;
    return &factory;
}
