// Every port the application drives, as one bundle of references. The program's entry and the
// test fixtures choose the adapters behind them; the core reaches the platform only through
// this bundle.
#pragma once

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/application.h"
#include "platform/color_panel.h"
#include "platform/input_state.h"
#include "platform/login_item_service.h"
#include "platform/main_loop.h"
#include "platform/panel.h"
#include "platform/screen_list.h"
#include "platform/settings_store.h"
#include "platform/status_bar.h"
#include "platform/window_server.h"
#include "platform/workspace.h"

namespace halomark {

struct Platform
{
    MainLoop& mainLoop;
    InputState& input;
    ScreenList& screens;
    PanelFactory& panels;
    SettingsStore& settings;
    WindowServer& windowServer;
    Accessibility& accessibility;
    Workspace& workspace;
    StatusBar& statusBar;
    Alerts& alerts;
    ColorPanel& colorPanel;
    LoginItemService& loginItems;
    Application& application;
};

} // namespace halomark
