// A track bar (slider). The operator's moves of the thumb (mouse, keys)
// report through OnChange; a position set in code reports nothing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>

#include "zorvel/widgets/window.h"

namespace widgets {

class TrackBar : public Control {
public:
    struct Options {
        int Min = 0, Max = 100;
        bool Ticks = false;
        int ThumbLength = 0;    // 0: the control's own
        bool PositionTip = false;  // shows the position above the thumb while dragged
    };
    void Create(HWND parent, int x, int y, int width, int height, const Options& options);
    int Position() const { return static_cast<int>(Send(TBM_GETPOS)); }
    void SetPosition(int position) const { Send(TBM_SETPOS, TRUE, position); }
    int Min() const { return static_cast<int>(Send(TBM_GETRANGEMIN)); }
    int Max() const { return static_cast<int>(Send(TBM_GETRANGEMAX)); }

    std::function<void()> OnChange;
    // The operator let go of the thumb or of the key: a move is over.
    std::function<void()> OnEndTrack;

    bool OnScroll(WORD code) override;
    void Rescale() override;

private:
    void SetThumbLength() const;
    int thumbLength_ = 0;  // design units
    bool moving_ = false;  // a move was reported and its end not yet
};

}  // namespace widgets
