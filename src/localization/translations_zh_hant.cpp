// The Traditional Chinese texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> traditionalChinese()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "啟用 Halomark"},
        {Key::focusCue, "醒目顯示使用中的視窗"},
        {Key::rangeSelectionShortcut, "範圍選取快捷鍵"},
        {Key::drag, "拖曳"},
        {Key::off, "關閉"},
        {Key::launchAtLogin, "登入時啟動"},
        {Key::language, "語言"},
        {Key::systemDefault, "跟隨系統設定"},
        {Key::color, "顏色"},
        {Key::colorDefault, "預設（白色）"},
        {Key::colorRed, "紅色"},
        {Key::colorOrange, "橙色"},
        {Key::colorYellow, "黃色"},
        {Key::colorGreen, "綠色"},
        {Key::colorCyan, "青色"},
        {Key::colorBlue, "藍色"},
        {Key::colorPurple, "紫色"},
        {Key::colorCustom, "自訂…"},
        {Key::howToUse, "使用方法"},
        {Key::howToUseTitle, "Halomark 使用方法"},
        {Key::howToUseMessage,
         "醒目顯示指標\n"
         "按下並放開 Command 鍵，指標周圍就會顯示一個逐漸縮小的圓環。圓環採用清晰且刻意放慢節奏的動畫，即使在遠端會議和螢幕分享中動態以較低的影格速率顯示，依然容易被注意到。\n"
         "\n"
         "醒目顯示使用中的視窗\n"
         "啟用「醒目顯示使用中的視窗」後，使用中的頂層視窗會保持清晰，而該視窗所在顯示器可用區域的其餘部分則會覆上一層 50% 半透明的白色遮罩。不包含使用中視窗的顯示器不會被遮蓋。醒目顯示的區域會隨 Command+Tab、Command+@ / Command+`、點按、Dock、幕前調度、指揮中心以及由 App 觸發的啟用而移動。被遮蓋的區域仍可完全正常操作，選單列和 Dock 不會被遮蓋，指標也絕不會被移動。\n"
         "\n"
         "框選區域\n"
         "從選單列的「範圍選取快捷鍵」中，選擇 Command + 拖曳、Control + Command + 拖曳、Option + Command + 拖曳或「關閉」。按住所選的快捷鍵並以左鍵拖曳，即可繪製一個暫時的矩形。矩形會逐漸淡出。\n"
         "\n"
         "更改顏色\n"
         "打開「顏色」子選單，選擇預設顏色或自訂顏色作為提示顏色。選擇顏色後，目前的指標位置會顯示一個圓環來預覽該顏色。\n"
         "\n"
         "更改語言\n"
         "打開「語言」子選單來選擇顯示語言。依預設，Halomark 會跟隨你的 macOS 偏好語言。\n"
         "\n"
         "登入時啟動\n"
         "啟用「登入時啟動」後，當你登入 Mac 時，Halomark 就會自動啟動。"},
        {Key::aboutHalomark, "關於 Halomark"},
        {Key::aboutMessage,
         "Halomark 是一款 macOS 選單列工具程式，可在軟體示範、簡報和螢幕分享期間引導觀眾的注意力。它能清楚呈現指標位置、使用中的視窗和螢幕上的重要區域，且不會自動移動指標。"},
        {Key::version, "版本"},
        {Key::privacyPolicy, "隱私權政策"},
        {Key::privacyPolicyTitle, "Halomark 隱私權政策"},
        {Key::privacyPolicyMessage,
         "Halomark 不會收集、儲存、傳送或分享個人資訊。\n"
         "\n"
         "所選顏色、顯示語言和登入時啟動設定等偏好設定，都儲存在你的 Mac 本機上。\n"
         "\n"
         "為了顯示提示效果，Halomark 只會在你的 Mac 上處理使用中的 App、可見視窗的位置、Command 鍵和滑鼠按鈕的狀態。它不會擷取螢幕內容，也不會記錄輸入的文字。\n"
         "\n"
         "Halomark 不會連線至外部伺服器，也不使用分析、廣告或追蹤 SDK。"},
        {Key::support, "支援"},
        {Key::openWebVersion, "開啟網頁版"},
        {Key::close, "關閉"},
        {Key::quitHalomark, "結束 Halomark"},
        {Key::loginErrorTitle, "無法更新登入時啟動設定"},
        {Key::ok, "好"},
        {Key::locatorKey, "定位鍵"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "右 Ctrl"},
        {Key::locatorKeyRightAlt, "右 Alt"},
        {Key::locatorKeyNone, "無"},
        {Key::locatorKeyConflictTitle, "Super 也是桌面環境使用的按鍵"},
        {Key::locatorKeyConflictMessage, "單獨按下 Super 鍵時，{desktop} 也會有反應，因此它和 Halomark 會對同一次按鍵同時作出回應。要改用右 Ctrl 顯示圓環嗎？"},
        {Key::useRightControl, "使用右 Ctrl"},
        {Key::keepSuper, "保留 Super"},
        {Key::howToUseMessageLinux,
         "醒目顯示指標\n"
         "按下並放開 Super 鍵（Windows 鍵），指標周圍就會顯示一個逐漸縮小的圓環。圓環採用清晰且刻意放慢節奏的動畫，即使在遠端會議和螢幕分享中動態以較低的影格速率顯示，依然容易被注意到。\n"
         "\n"
         "醒目顯示使用中的視窗\n"
         "啟用「醒目顯示使用中的視窗」後，使用中的頂層視窗會保持清晰，而該視窗所在顯示器可用區域的其餘部分則會覆上一層 50% 半透明的白色遮罩。不包含使用中視窗的顯示器不會被遮蓋。醒目顯示的區域會隨 Alt+Tab、Super+Tab、點擊、工作列以及由應用程式觸發的啟用而移動。被遮蓋的區域仍可完全正常操作，面板和工作列不會被遮蓋，指標也絕不會被移動。\n"
         "\n"
         "框選區域\n"
         "從系統匣圖示選單的「範圍選取快捷鍵」中，選擇 Super + 拖曳、Ctrl + Super + 拖曳、Alt + Super + 拖曳或「關閉」。按住所選的快捷鍵並以左鍵拖曳，即可繪製一個暫時的矩形。矩形會逐漸淡出。\n"
         "\n"
         "更改顏色\n"
         "打開「顏色」子選單，選擇預設顏色或自訂顏色作為提示顏色。選擇顏色後，目前的指標位置會顯示一個圓環來預覽該顏色。\n"
         "\n"
         "更改語言\n"
         "打開「語言」子選單來選擇顯示語言。依預設，Halomark 會跟隨你的系統偏好語言。\n"
         "\n"
         "登入時啟動\n"
         "啟用「登入時啟動」後，當你登入電腦時，Halomark 就會自動啟動。"},
        {Key::aboutMessageLinux,
         "Halomark 是一款 Linux 系統匣工具程式，可在軟體示範、簡報和螢幕分享期間引導觀眾的注意力。它能清楚呈現指標位置、使用中的視窗和螢幕上的重要區域，且不會自動移動指標。"},
        {Key::privacyPolicyMessageLinux,
         "Halomark 不會收集、儲存、傳送或分享個人資訊。\n"
         "\n"
         "所選顏色、顯示語言和登入時啟動設定等偏好設定，都儲存在你的電腦本機上。\n"
         "\n"
         "為了顯示提示效果，Halomark 只會在你的電腦上處理使用中的應用程式、可見視窗的位置、修飾鍵和滑鼠按鈕的狀態。它不會擷取螢幕內容，也不會記錄輸入的文字。\n"
         "\n"
         "Halomark 不會連線至外部伺服器，也不使用分析、廣告或追蹤 SDK。"},
        {Key::spotlight, "聚光燈"},
        {Key::showClicks, "顯示點按"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables
