#include "vst3/Vst3Controller.h"

#include <new>
#include <string_view>

#include "effect/ControlDescription.h"
#include "vst3/Vst3EditorView.h"
#include "vst3/Vst3Parameter.h"
#include "vst3/Vst3State.h"

namespace {

template <class Interface>
void Replace(Interface*& held, Interface* next)
{
    if (next)
        next->addRef();
    if (held)
        held->release();
    held = next;
}

}  // namespace

CVst3Controller::~CVst3Controller()
{
    Replace<vst3::IComponentHandler>(handler, nullptr);
    Replace<vst3::FUnknown>(hostContext, nullptr);
}

vst3::tresult VST3_API CVst3Controller::queryInterface(const vst3::TUID iid, void** object)
{
    if (!object)
        return vst3::kInvalidArgument;
    if (vst3::SameUid(iid, vst3::kFUnknownIid) || vst3::SameUid(iid, vst3::kIPluginBaseIid) ||
        vst3::SameUid(iid, vst3::kIEditControllerIid))
        return Vst3Answer<vst3::IEditController>(this, object);
    if (vst3::SameUid(iid, vst3::kIConnectionPointIid))
        return Vst3Answer<vst3::IConnectionPoint>(this, object);
    *object = nullptr;
    return vst3::kNoInterface;
}

uint32_t VST3_API CVst3Controller::release()
{
    const uint32_t left = refs.Release();
    if (left == 0)
        delete this;
    return left;
}

vst3::tresult VST3_API CVst3Controller::initialize(vst3::FUnknown* context)
{
    Replace(hostContext, context);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Controller::terminate()
{
    Replace<vst3::IComponentHandler>(handler, nullptr);
    Replace<vst3::FUnknown>(hostContext, nullptr);
    peer.Forget();
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Controller::setComponentState(vst3::IBStream* state)
{
    int loaded = 0;
    if (!Vst3State::Load(state, &loaded))
        return vst3::kResultFalse;
    SetStep(loaded);
    return vst3::kResultOk;
}

// The controller keeps nothing of its own: the processor's state holds the parameter.
vst3::tresult VST3_API CVst3Controller::setState(vst3::IBStream*) { return vst3::kResultOk; }

vst3::tresult VST3_API CVst3Controller::getState(vst3::IBStream*) { return vst3::kResultOk; }

int32_t VST3_API CVst3Controller::getParameterCount() { return 1; }

vst3::tresult VST3_API CVst3Controller::getParameterInfo(int32_t index, vst3::ParameterInfo& info)
{
    if (index != 0)
        return vst3::kInvalidArgument;
    Vst3Parameter::Describe(&info);
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Controller::getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                              vst3::String128 string)
{
    if (id != Vst3Parameter::kId || !Vst3Parameter::TextOfNormalized(valueNormalized, string))
        return vst3::kInvalidArgument;
    return vst3::kResultOk;
}

vst3::tresult VST3_API CVst3Controller::getParamValueByString(vst3::ParamID id, vst3::char16* string,
                                                              vst3::ParamValue& valueNormalized)
{
    double value = 0.0;
    if (id != Vst3Parameter::kId || !Vst3Parameter::NormalizedOfText(string, &value))
        return vst3::kResultFalse;
    valueNormalized = value;
    return vst3::kResultOk;
}

vst3::ParamValue VST3_API CVst3Controller::normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized)
{
    return id == Vst3Parameter::kId ? Vst3Parameter::StepOfNormalized(valueNormalized) : 0.0;
}

vst3::ParamValue VST3_API CVst3Controller::plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue)
{
    return id == Vst3Parameter::kId ? Vst3Parameter::NormalizedOfPlain(plainValue) : 0.0;
}

vst3::ParamValue VST3_API CVst3Controller::getParamNormalized(vst3::ParamID id)
{
    return id == Vst3Parameter::kId ? Vst3Parameter::NormalizedOfStep(step) : 0.0;
}

vst3::tresult VST3_API CVst3Controller::setParamNormalized(vst3::ParamID id, vst3::ParamValue value)
{
    if (id != Vst3Parameter::kId)
        return vst3::kInvalidArgument;
    SetStep(Vst3Parameter::StepOfNormalized(value));
    return vst3::kResultOk;
}

void CVst3Controller::SetStep(int newStep)
{
    step = newStep;
    if (view)
        view->ShowStep(step);
}

vst3::tresult VST3_API CVst3Controller::setComponentHandler(vst3::IComponentHandler* next)
{
    Replace(handler, next);
    return vst3::kResultOk;
}

vst3::IPlugView* VST3_API CVst3Controller::createView(vst3::FIDString name)
{
    if (!name || std::string_view(name) != vst3::kEditorViewName)
        return nullptr;
    try {
        view = new CVst3EditorView(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return view;
}

void CVst3Controller::ViewGone(CVst3EditorView* gone)
{
    if (view == gone)
        view = nullptr;
}

// A press is one edit, as a host records automation: the host hears it begin, the value,
// and its end, and passes the value to the processor.
void CVst3Controller::EditorChanged(double controlValue)
{
    // The editor already shows it.
    step = OversamplingControl::StepOfValue(controlValue);
    if (!handler)
        return;
    handler->beginEdit(Vst3Parameter::kId);
    handler->performEdit(Vst3Parameter::kId, Vst3Parameter::NormalizedOfStep(step));
    handler->endEdit(Vst3Parameter::kId);
}

