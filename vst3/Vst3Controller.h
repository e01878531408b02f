#pragma once

#include "vst3/Vst3Abi.h"
#include "vst3/Vst3Peer.h"
#include "vst3/Vst3RefCount.h"

class CVst3EditorView;

// The edit controller half of the VST3 pair: the parameter as hosts show it, the processor's
// state read back so that the host shows what was loaded, and the editor view. The editor's
// presses reach the host through its component handler as an edit (begin, perform, end),
// and the host carries them to the processor. Every call is the host's user-interface
// thread's.
class CVst3Controller final : public vst3::IEditController, public vst3::IConnectionPoint {
public:
    CVst3Controller() = default;

    // FUnknown
    vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** object) override;
    uint32_t VST3_API addRef() override { return refs.Add(); }
    uint32_t VST3_API release() override;

    // IPluginBase
    vst3::tresult VST3_API initialize(vst3::FUnknown* context) override;
    vst3::tresult VST3_API terminate() override;

    // IEditController
    vst3::tresult VST3_API setComponentState(vst3::IBStream* state) override;
    vst3::tresult VST3_API setState(vst3::IBStream* state) override;
    vst3::tresult VST3_API getState(vst3::IBStream* state) override;
    int32_t VST3_API getParameterCount() override;
    vst3::tresult VST3_API getParameterInfo(int32_t index, vst3::ParameterInfo& info) override;
    vst3::tresult VST3_API getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                                 vst3::String128 string) override;
    vst3::tresult VST3_API getParamValueByString(vst3::ParamID id, vst3::char16* string,
                                                 vst3::ParamValue& valueNormalized) override;
    vst3::ParamValue VST3_API normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
    vst3::ParamValue VST3_API plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
    vst3::ParamValue VST3_API getParamNormalized(vst3::ParamID id) override;
    vst3::tresult VST3_API setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;
    vst3::tresult VST3_API setComponentHandler(vst3::IComponentHandler* handler) override;
    vst3::IPlugView* VST3_API createView(vst3::FIDString name) override;

    // IConnectionPoint: nothing travels between the pair beyond what the host carries.
    vst3::tresult VST3_API connect(vst3::IConnectionPoint* other) override { return peer.Connect(other); }
    vst3::tresult VST3_API disconnect(vst3::IConnectionPoint* other) override { return peer.Disconnect(other); }
    vst3::tresult VST3_API notify(vst3::IMessage* message) override { return CVst3Peer::Notify(message); }

    // For the editor view.
    int Step() const { return step; }
    // The editor's press, a control value of the machine's 0 ... 1.
    void EditorChanged(double controlValue);
    // The context the host initialized the controller with (its IHostApplication), or null.
    vst3::FUnknown* HostContext() const { return hostContext; }
    void ViewGone(CVst3EditorView* view);

    CVst3Controller(const CVst3Controller&) = delete;
    CVst3Controller& operator=(const CVst3Controller&) = delete;

private:
    ~CVst3Controller();
    void SetStep(int newStep);

    CVst3RefCount refs;
    int step = 0;
    vst3::FUnknown* hostContext = nullptr;
    vst3::IComponentHandler* handler = nullptr;
    CVst3Peer peer;
    CVst3EditorView* view = nullptr;         // the last view made, while it lives
};
