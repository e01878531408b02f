#include "effect/VelvetineFilter.h"

#include "effect/EditorPictures.h"

// Answered the same whether or not an editor is open, so a host can size its frame first.
bool CVelvetineFilter::GetEditorRect(int16_t* top, int16_t* left, int16_t* right, int16_t* bottom)
{
    *top = 0;
    *left = 0;
    *right = static_cast<int16_t>(EditorWidth(description));
    *bottom = static_cast<int16_t>(EditorHeight(description));
    return true;
}
