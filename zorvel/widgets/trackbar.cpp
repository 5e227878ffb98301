#include "zorvel/widgets/trackbar.h"

#include "zorvel/widgets/dpi.h"

namespace widgets {

void TrackBar::Create(HWND parent, int x, int y, int width, int height, const Options& options) {
    DWORD style = WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_BOTH;
    if (!options.Ticks) style |= TBS_NOTICKS;
    if (options.ThumbLength > 0) style |= TBS_FIXEDLENGTH;
    if (options.PositionTip) style |= TBS_TOOLTIPS;
    CreateChild(TRACKBAR_CLASSW, L"", style, 0, parent, x, y, width, height);
    Send(TBM_SETRANGEMIN, FALSE, options.Min);
    Send(TBM_SETRANGEMAX, TRUE, options.Max);
    Send(TBM_SETLINESIZE, 0, 1);
    thumbLength_ = options.ThumbLength;
    SetThumbLength();
    if (options.PositionTip) Send(TBM_SETTIPSIDE, TBTS_TOP);
}

void TrackBar::SetThumbLength() const {
    if (thumbLength_ > 0) Send(TBM_SETTHUMBLENGTH, static_cast<WPARAM>(ScaleOf(hwnd).Px(thumbLength_)));
}

void TrackBar::Rescale() {
    Replace();
    SetThumbLength();
}

bool TrackBar::OnScroll(WORD code) {
    // TB_ENDTRACK closes every move (thumb dragged, key or page click) and
    // changes nothing itself. Some systems send it twice for one drag (on the
    // release and on the loss of the capture): one end is reported per move.
    if (code == TB_ENDTRACK) {
        if (moving_ && OnEndTrack) OnEndTrack();
        moving_ = false;
        return true;
    }
    moving_ = true;
    if (OnChange) OnChange();
    return true;
}

}  // namespace widgets
