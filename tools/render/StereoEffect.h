#pragma once

// A stereo effect as the render loop sees it: two inputs, two outputs, processing in
// either precision with replacing semantics (the outputs are overwritten).
class CStereoEffect {
public:
    virtual ~CStereoEffect() = default;
    virtual void Process(float** inputs, float** outputs, int frames) = 0;
    virtual void Process(double** inputs, double** outputs, int frames) = 0;
};
