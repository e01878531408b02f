#pragma once

// A test program must never sit behind a message box: a box nobody answers holds the run
// until ctest's timeout, and whatever it said is lost. The watch looks, from a thread of
// its own, for visible dialog boxes of this process (the fatal-error report or any other
// dialog). Each one it finds is reported with its caption and text (a test program fails
// its running test there) and is then closed, so that the program goes on or ends at once.

#include <functional>
#include <memory>
#include <string>

class ModalWindowWatch {
public:
    // Receives each box as "caption": "text", on the watch's thread.
    using Report = std::function<void(const std::string& box)>;

    // Starts watching; a box is found within `pollMilliseconds` of appearing.
    explicit ModalWindowWatch(Report report, int pollMilliseconds = 250);
    ~ModalWindowWatch();  // stops the thread

    // Replaces the report and returns the old one.
    Report SetReport(Report report);

    ModalWindowWatch(const ModalWindowWatch&) = delete;
    ModalWindowWatch& operator=(const ModalWindowWatch&) = delete;

private:
    struct State;
    std::unique_ptr<State> state;
};
