#pragma once
// A message loop of the program's own, as a modal loop written against Windows runs one:
// GetMessage takes the user-interface thread's messages one at a time (posted messages in order,
// then input and timer messages as they arrive, waiting while there are none), the caller looks at
// each and hands it on with TranslateMessage and DispatchMessage. Messages taken this way skip
// Application->OnMessage, as they would under a foreign loop; WH_GETMESSAGE hooks see them in
// GetMessage.

#include <functional>

#include "framework/messages.h"

// Fills Msg with the next message; false when it is WM_QUIT (taken off the queue too). Every
// message qualifies: Wnd and the filter range are not used.
bool GetMessage(TMsg& Msg, HWND Wnd, UINT FilterMin, UINT FilterMax);
// Characters come with their key from the input path, so nothing is made here; true for the key
// messages that have characters.
bool TranslateMessage(const TMsg& Msg);
// Delivers Msg as the framework's loop would have: input through the input path of its window,
// WM_TIMER to its timer's procedure or window, other messages to the window.
LRESULT DispatchMessage(const TMsg& Msg);

// Takes out the mouse-button messages waiting for delivery (a press that closed a popup menu waits
// until the menu has returned) for which Keep answers false; the others stay, in order.
void PurgeMouseButtonMessages(const std::function<bool(const TMsg&)>& Keep);

namespace lumora_detail {

// The loop's paths offer each posted, input and timer message here first: true when a waiting
// GetMessage took it.
bool TakenByGetMessage(const TMsg& Msg);
// The delivery of each kind, without the loop's hooks and OnMessage.
bool RouteInputMessage(TMsg& Msg);
void DeliverTimerMessage(const TMsg& Msg);
// Takes the oldest posted message; false when there is none.
bool TakePostedMessage(TMsg& Msg);
// Takes the oldest message an ended loop of the program's own did not take (false when there is
// none, or a loop is waiting for it): the application's loop delivers it.
bool TakeLeftOverMessage(TMsg& Msg);
bool IsInputMessage(UINT Msg);

}  // namespace lumora_detail
