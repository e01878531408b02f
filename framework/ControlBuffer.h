#pragma once

#include "framework/ControlEvent.h"
#include "framework/Mutex.h"

// A time-ordered event queue. Every operation runs under the queue's own lock, so
// producers and the consumer may live on different threads.
class CControlBuffer : public CMutex {
public:
    CControlBuffer();
    ~CControlBuffer() override;

    // Takes the earliest event; among equal times a note off goes first. False when empty.
    virtual bool Pop(ControlEvent& out);
    // Inserts after the last event with a time less than or equal to the new one's.
    virtual void Push(const ControlEvent& event);
    virtual void Clear();
    // Copies every event into `other`; refuses the queue itself.
    virtual void CopyTo(CControlBuffer& other);
    // Moves the events of the first `frames` frames into `other` and re-bases the rest to
    // the start of the next block; refuses the queue itself.
    virtual void SplitTo(CControlBuffer& other, int frames);
    virtual int Count();

private:
    struct Node {
        Node* next;
        ControlEvent event;
    };
    void InsertUnlocked(const ControlEvent& event);

    Node* head;
};
