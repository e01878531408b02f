#include "framework/ControlBuffer.h"

CControlBuffer::CControlBuffer() : head(nullptr) {}

CControlBuffer::~CControlBuffer()
{
    if (head)
        Clear();
}

void CControlBuffer::InsertUnlocked(const ControlEvent& event)
{
    // Equal times keep arrival order: the new event goes after every event not later
    // than it.
    Node** link = &head;
    while (*link && (*link)->event.time <= event.time)
        link = &(*link)->next;
    *link = new Node{*link, event};
}

void CControlBuffer::Push(const ControlEvent& event)
{
    CLockGuard guard(*this);
    InsertUnlocked(event);
}

bool CControlBuffer::Pop(ControlEvent& out)
{
    CLockGuard guard(*this);
    if (!head)
        return false;
    // A note off goes before a note on of the same time, so that a retriggered note is
    // released before it starts again.
    Node** choiceLink = &head;
    for (Node** link = &head->next; *link; link = &(*link)->next) {
        const ControlEvent& candidate = (*link)->event;
        const ControlEvent& choice = (*choiceLink)->event;
        if (candidate.time < choice.time ||
            (candidate.time == choice.time && candidate.kind == EVENT_NOTE_OFF &&
             choice.kind != EVENT_NOTE_OFF))
            choiceLink = link;
    }
    Node* chosen = *choiceLink;
    out = chosen->event;
    *choiceLink = chosen->next;
    delete chosen;
    return true;
}

void CControlBuffer::Clear()
{
    CLockGuard guard(*this);
    while (head) {
        Node* next = head->next;
        delete head;
        head = next;
    }
}

void CControlBuffer::CopyTo(CControlBuffer& other)
{
    if (&other == this)
        return;  // inserting into the list being walked would never reach its end
    CLockGuard guard(*this);
    for (const Node* node = head; node; node = node->next) {
        CLockGuard otherGuard(other);
        other.InsertUnlocked(node->event);
    }
}

void CControlBuffer::SplitTo(CControlBuffer& other, int frames)
{
    if (&other == this)
        return;
    CLockGuard guard(*this);
    Node** link = &head;
    while (*link) {
        Node* node = *link;
        if (node->event.time < frames) {
            {
                CLockGuard otherGuard(other);
                other.InsertUnlocked(node->event);
            }
            *link = node->next;
            delete node;
        } else {
            node->event.time -= frames;
            link = &node->next;
        }
    }
}

int CControlBuffer::Count()
{
    CLockGuard guard(*this);
    int count = 0;
    for (const Node* node = head; node; node = node->next)
        ++count;
    return count;
}
