#pragma once

#include <atomic>
#include <mutex>

#include "effect/ControlDescription.h"
#include "effect/FilterDesign.h"
#include "framework/Machine.h"

static_assert(std::atomic<double>::is_always_lock_free, "control values must not lock");

class CAudioBuffer;
class CStereoFir;
class CFilterDescription;
class CFilterEditor;

// The effect: one stereo input port "Line In", one stereo output port "Line Out" and one
// control, "Oversampling", which selects one of five minimum-phase FIR prototypes
// (2x, 4x, 8x, 16x, 32x).
class CVelvetineFilter : public CMachine {
public:
    CVelvetineFilter(CHost* host, CFilterDescription* description);
    ~CVelvetineFilter() override;

    void Process() override;
    bool ProcessArrays(const float* const* inputs, float* const* outputs, int frames) override;
    bool ProcessArrays(const double* const* inputs, double* const* outputs, int frames) override;
    bool GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom) override;
    NativeWindow OpenEditor(NativeWindow parent) override;
    void RefreshEditor() override;
    double GetControl(int index) override;
    void SetControl(int index, double value) override;
    void GetControlName(int index, char* text) override;
    void GetControlText(int index, double value, char* text) override;
    void SetSampleRate(int rate) override;
    void SetBlockLength(int frames) override;
    bool ReservedQuery() override;

    // The prototype a control value selects: one per step of the control.
    static int PrototypeIndex(double value) { return OversamplingControl::StepOfValue(value); }

    int SampleRate() const { return sampleRate; }
    int BlockLength() const { return blockLength; }
    CStereoFir* Prototype(int index) const { return bank[index]; }
    // Every prototype forgets the samples it was given, without allocating: the next block
    // starts from silence, exactly as a new machine's first block does.
    void ClearHistory();
    // Runs every prototype on the AVX2 kernel when the processor has AVX2 and this build
    // carries that kernel, otherwise on the baseline. Chosen once, before processing starts.
    void UseAvx2(bool processorHasAvx2);

private:
    void DesignPrototypes();
    template <class Sample>
    bool RunArrays(const Sample* const* inputs, Sample* const* outputs, int frames);
    // Read once per block: a change made from another thread during the block applies to
    // the next.
    int SelectedPrototype() const;
    // The frames of a block: the block length, cut to what every port buffer holds.
    int PortFrames() const;
    // The input buffer's lead takes the prototype's history, so the block runs in one pass,
    // and keeps it for the next block as long as the same prototype runs over the same
    // memory: the buffer only moves when it grows, which raises its capacity.
    bool LeadHoldsHistory(int prototype) const;
    // Records whose history the lead now holds (-1: none).
    void KeepLead(int prototype);
    // Editor side of a control change and of teardown; they live with the editor code.
    void UpdateEditor();
    void DeleteEditor();
    // The editor with editorSwap taken in `hold`; null, and the lock not taken, when there
    // is none.
    CFilterEditor* HeldEditor(std::unique_lock<std::mutex>& hold);

    int sampleRate;
    int blockLength;
    // Written by host and editor threads while Process reads it on the audio thread: a
    // lock-free atomic, so neither side waits and no read is torn.
    std::atomic<double>* controlValues;
    // The prototype the oversampling control selects, worked out as the value is set, so
    // that a block finds its filter without arithmetic on the value first.
    std::atomic<int> selectedPrototype{0};
    // In the machine itself, one load nearer to a block than an array of its own.
    CStereoFir* bank[kPrototypeCount] = {};
    // The audio ports' buffers, which live as long as the machine.
    CAudioBuffer* lineIn;
    CAudioBuffer* lineOut;
    // Whose history the input buffer's lead holds, and where that buffer was.
    struct LeadHistory {
        int prototype;
        const double* left;
        const double* right;
        int capacity;
    } lead = {-1, nullptr, nullptr, 0};
    // Host threads test the pointer without a lock and hand redraws to the editor under
    // editorSwap, which is held only to swap the pointer or to post a redraw, never while
    // an editor renders or is destroyed.
    std::atomic<CFilterEditor*> editor;
    std::mutex editorSwap;
    CFilterDescription* description;
};
