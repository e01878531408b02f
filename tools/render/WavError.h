#pragma once

#include <stdexcept>

// A WAV file that cannot be read or written. The message names the problem in a few words
// ("not a RIFF/WAVE file"); the caller adds the file name.
class CWavError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The output side failed (a full disk, a vanished folder): the fault lies with the file being
// written, not the one being read.
class CWavWriteError : public CWavError {
public:
    using CWavError::CWavError;
};
