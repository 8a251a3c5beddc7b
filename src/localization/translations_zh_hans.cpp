// The Simplified Chinese texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> simplifiedChinese()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "启用 Halomark"},
        {Key::focusCue, "突出显示活动窗口"},
        {Key::rangeSelectionShortcut, "范围选择快捷键"},
        {Key::drag, "拖动"},
        {Key::off, "关闭"},
        {Key::launchAtLogin, "登录时启动"},
        {Key::language, "语言"},
        {Key::systemDefault, "跟随系统设置"},
        {Key::color, "颜色"},
        {Key::colorDefault, "默认（白色）"},
        {Key::colorRed, "红色"},
        {Key::colorOrange, "橙色"},
        {Key::colorYellow, "黄色"},
        {Key::colorGreen, "绿色"},
        {Key::colorCyan, "青色"},
        {Key::colorBlue, "蓝色"},
        {Key::colorPurple, "紫色"},
        {Key::colorCustom, "自定义…"},
        {Key::howToUse, "使用方法"},
        {Key::howToUseTitle, "Halomark 使用方法"},
        {Key::howToUseMessage,
         "突出显示指针\n"
         "按下并松开 Command 键，指针周围会显示一个逐渐缩小的圆环。圆环采用清晰且刻意放慢节奏的动画，即使在远程会议和屏幕共享中动画以较低帧率显示，也依然容易被注意到。\n"
         "\n"
         "突出显示活动窗口\n"
         "启用“突出显示活动窗口”后，活动的顶层窗口会保持清晰，而该窗口所在显示器可用区域的其余部分会被 50% 半透明的白色遮罩覆盖。不包含活动窗口的显示器不会被遮盖。突出显示的区域会跟随 Command+Tab、Command+@ / Command+`、点按、程序坞、台前调度、调度中心以及由应用触发的激活而变化。被遮盖的区域仍可完全正常操作，菜单栏和程序坞不会被遮盖，指针也绝不会被移动。\n"
         "\n"
         "框选区域\n"
         "在菜单栏的“范围选择快捷键”中，选择 Command + 拖动、Control + Command + 拖动、Option + Command + 拖动或“关闭”。按住所选的快捷键并用左键拖动，即可绘制一个临时矩形。该矩形会逐渐淡出。\n"
         "\n"
         "更改颜色\n"
         "打开“颜色”子菜单，选择预设颜色或自定义颜色作为提示颜色。选择颜色后，当前指针位置会显示一个圆环来预览该颜色。\n"
         "\n"
         "更改语言\n"
         "打开“语言”子菜单以选择显示语言。默认情况下，Halomark 跟随你的 macOS 首选语言。\n"
         "\n"
         "登录时启动\n"
         "启用“登录时启动”后，你登录 Mac 时 Halomark 会自动启动。"},
        {Key::aboutHalomark, "关于 Halomark"},
        {Key::aboutMessage,
         "Halomark 是一款 macOS 菜单栏实用工具，用于在软件演示、演讲和屏幕共享期间引导观众的注意力。它能清楚地呈现指针位置、活动窗口和屏幕上的重要区域，而不会自动移动指针。"},
        {Key::version, "版本"},
        {Key::privacyPolicy, "隐私政策"},
        {Key::privacyPolicyTitle, "Halomark 隐私政策"},
        {Key::privacyPolicyMessage,
         "Halomark 不会收集、存储、传输或共享个人信息。\n"
         "\n"
         "所选颜色、显示语言和登录时启动设置等偏好设置均存储在你的 Mac 本地。\n"
         "\n"
         "为了显示提示效果，Halomark 仅在你的 Mac 上处理活动应用、可见窗口位置、Command 键和鼠标按键的状态。它不会捕获屏幕内容，也不会记录键入的文本。\n"
         "\n"
         "Halomark 不连接外部服务器，也不使用分析、广告或跟踪 SDK。"},
        {Key::support, "支持"},
        {Key::openWebVersion, "打开网页版"},
        {Key::close, "关闭"},
        {Key::quitHalomark, "退出 Halomark"},
        {Key::loginErrorTitle, "无法更新登录时启动设置"},
        {Key::ok, "确定"},
        {Key::locatorKey, "定位键"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "右 Ctrl"},
        {Key::locatorKeyRightAlt, "右 Alt"},
        {Key::locatorKeyNone, "无"},
        {Key::locatorKeyConflictTitle, "Super 也是桌面环境使用的按键"},
        {Key::locatorKeyConflictMessage, "单独按下 Super 键时，{desktop} 也会响应，因此它和 Halomark 会对同一次按键同时作出反应。要改用右 Ctrl 显示圆环吗？"},
        {Key::useRightControl, "使用右 Ctrl"},
        {Key::keepSuper, "保留 Super"},
        {Key::howToUseMessageLinux,
         "突出显示指针\n"
         "按下并松开 Super 键（Windows 键），指针周围会显示一个逐渐缩小的圆环。圆环采用清晰且刻意放慢节奏的动画，即使在远程会议和屏幕共享中动画以较低帧率显示，也依然容易被注意到。\n"
         "\n"
         "突出显示活动窗口\n"
         "启用“突出显示活动窗口”后，活动的顶层窗口会保持清晰，而该窗口所在显示器可用区域的其余部分会被 50% 半透明的白色遮罩覆盖。不包含活动窗口的显示器不会被遮盖。突出显示的区域会跟随 Alt+Tab、Super+Tab、点击、任务栏以及由应用触发的激活而变化。被遮盖的区域仍可完全正常操作，面板和任务栏不会被遮盖，指针也绝不会被移动。\n"
         "\n"
         "框选区域\n"
         "在托盘图标菜单的“范围选择快捷键”中，选择 Super + 拖动、Ctrl + Super + 拖动、Alt + Super + 拖动或“关闭”。按住所选的快捷键并用左键拖动，即可绘制一个临时矩形。该矩形会逐渐淡出。\n"
         "\n"
         "更改颜色\n"
         "打开“颜色”子菜单，选择预设颜色或自定义颜色作为提示颜色。选择颜色后，当前指针位置会显示一个圆环来预览该颜色。\n"
         "\n"
         "更改语言\n"
         "打开“语言”子菜单以选择显示语言。默认情况下，Halomark 跟随你的系统首选语言。\n"
         "\n"
         "登录时启动\n"
         "启用“登录时启动”后，你登录电脑时 Halomark 会自动启动。"},
        {Key::aboutMessageLinux,
         "Halomark 是一款 Linux 托盘实用工具，用于在软件演示、演讲和屏幕共享期间引导观众的注意力。它能清楚地呈现指针位置、活动窗口和屏幕上的重要区域，而不会自动移动指针。"},
        {Key::privacyPolicyMessageLinux,
         "Halomark 不会收集、存储、传输或共享个人信息。\n"
         "\n"
         "所选颜色、显示语言和登录时启动设置等偏好设置均存储在你的电脑本地。\n"
         "\n"
         "为了显示提示效果，Halomark 仅在你的电脑上处理活动应用、可见窗口位置、修饰键和鼠标按键的状态。它不会捕获屏幕内容，也不会记录键入的文本。\n"
         "\n"
         "Halomark 不连接外部服务器，也不使用分析、广告或跟踪 SDK。"},
        {Key::spotlight, "聚光灯"},
        {Key::showClicks, "显示点击"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables
