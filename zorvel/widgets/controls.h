// Every control kind of the layer, for the windows that use many of them.
// Each kind has a header of its own; things that are no windows (timers,
// tooltips, menus) too.
#pragma once

#include "zorvel/widgets/checkbox.h"
#include "zorvel/widgets/combobox.h"
#include "zorvel/widgets/datetimepicker.h"
#include "zorvel/widgets/edit.h"
#include "zorvel/widgets/groupbox.h"
#include "zorvel/widgets/image.h"
#include "zorvel/widgets/ipaddress.h"
#include "zorvel/widgets/label.h"
#include "zorvel/widgets/menupainter.h"
#include "zorvel/widgets/panel.h"
#include "zorvel/widgets/popupmenu.h"
#include "zorvel/widgets/speedbutton.h"
#include "zorvel/widgets/splitter.h"
#include "zorvel/widgets/stringgrid.h"
#include "zorvel/widgets/systemmenu.h"
#include "zorvel/widgets/timer.h"
#include "zorvel/widgets/toolbar.h"
#include "zorvel/widgets/tooltip.h"
#include "zorvel/widgets/trackbar.h"
