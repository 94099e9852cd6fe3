// Everything a window of the installer uses from the UI toolkit.
#pragma once

#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/button.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/control.h"
#include "toolkit/ui/core/label.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/resource_source.h"
#include "toolkit/ui/core/rich_edit.h"
#include "toolkit/ui/win/global_manager.h"
#include "toolkit/ui/win/window.h"
#include "toolkit/ui/win/window_impl_base.h"
