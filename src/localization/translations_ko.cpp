// The Korean texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> korean()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Halomark 활성화"},
        {Key::focusCue, "활성 윈도우 강조"},
        {Key::rangeSelectionShortcut, "영역 선택 단축키"},
        {Key::drag, "드래그"},
        {Key::off, "사용 안 함"},
        {Key::launchAtLogin, "로그인 시 실행"},
        {Key::language, "언어"},
        {Key::systemDefault, "시스템 설정 사용"},
        {Key::color, "색상"},
        {Key::colorDefault, "기본값(흰색)"},
        {Key::colorRed, "빨간색"},
        {Key::colorOrange, "주황색"},
        {Key::colorYellow, "노란색"},
        {Key::colorGreen, "초록색"},
        {Key::colorCyan, "하늘색"},
        {Key::colorBlue, "파란색"},
        {Key::colorPurple, "보라색"},
        {Key::colorCustom, "사용자 지정…"},
        {Key::howToUse, "사용 방법"},
        {Key::howToUseTitle, "Halomark 사용 방법"},
        {Key::howToUseMessage,
         "포인터 강조\n"
         "Command 키를 눌렀다 떼면 포인터 주위에 점점 작아지는 링이 표시됩니다. 링은 선명하고 의도적으로 속도를 늦춘 애니메이션을 사용하므로, 원격 회의나 화면 공유 중 움직임이 낮은 프레임률로 표시되더라도 쉽게 알아볼 수 있습니다.\n"
         "\n"
         "활성 윈도우 강조\n"
         "‘활성 윈도우 강조’를 켜면 활성 상태인 최상위 윈도우는 그대로 보이고, 그 윈도우가 있는 디스플레이의 사용 가능한 영역 중 나머지 부분은 50% 반투명 흰색 베일로 덮입니다. 활성 윈도우가 없는 디스플레이는 가려지지 않습니다. 강조 영역은 Command+Tab, Command+@ / Command+`, 클릭, Dock, 스테이지 매니저, Mission Control 및 앱에 의한 활성화를 따라 이동합니다. 가려진 영역도 모두 그대로 조작할 수 있으며, 메뉴 막대와 Dock은 가려지지 않고 포인터는 절대 이동되지 않습니다.\n"
         "\n"
         "영역 표시\n"
         "메뉴 막대의 ‘영역 선택 단축키’에서 Command + 드래그, Control + Command + 드래그, Option + Command + 드래그 또는 ‘사용 안 함’을 선택합니다. 선택한 단축키를 누른 채 왼쪽 버튼으로 드래그하면 임시 사각형이 그려집니다. 사각형은 서서히 사라집니다.\n"
         "\n"
         "색상 변경\n"
         "‘색상’ 하위 메뉴를 열어 강조 색상으로 사용할 프리셋 색상이나 사용자 지정 색상을 선택합니다. 색상을 선택하면 현재 포인터 위치에 링이 표시되어 해당 색상을 미리 볼 수 있습니다.\n"
         "\n"
         "언어 변경\n"
         "‘언어’ 하위 메뉴를 열어 표시 언어를 선택합니다. 기본적으로 Halomark는 macOS의 선호 언어를 따릅니다.\n"
         "\n"
         "로그인 시 실행\n"
         "‘로그인 시 실행’을 켜면 Mac에 로그인할 때 Halomark가 자동으로 실행됩니다."},
        {Key::aboutHalomark, "Halomark 정보"},
        {Key::aboutMessage,
         "Halomark는 소프트웨어 데모, 프레젠테이션, 화면 공유 중에 청중의 주의를 이끌어 주는 macOS 메뉴 막대 유틸리티입니다. 포인터를 자동으로 움직이지 않고도 포인터 위치, 활성 윈도우, 화면의 중요한 영역을 분명하게 보여 줍니다."},
        {Key::version, "버전"},
        {Key::privacyPolicy, "개인정보 처리방침"},
        {Key::privacyPolicyTitle, "Halomark 개인정보 처리방침"},
        {Key::privacyPolicyMessage,
         "Halomark는 개인정보를 수집, 저장, 전송하거나 공유하지 않습니다.\n"
         "\n"
         "선택한 색상, 표시 언어, 로그인 시 실행 설정과 같은 환경설정은 사용자의 Mac에 로컬로 저장됩니다.\n"
         "\n"
         "Halomark는 강조 표시를 위해 활성 앱, 보이는 윈도우의 위치, Command 키 및 마우스 버튼 상태를 사용자의 Mac에서만 처리합니다. 화면 내용을 캡처하거나 입력한 텍스트를 기록하지 않습니다.\n"
         "\n"
         "Halomark는 외부 서버에 연결하지 않으며 분석, 광고 또는 추적 SDK를 사용하지 않습니다."},
        {Key::support, "지원"},
        {Key::openWebVersion, "웹 버전 열기"},
        {Key::close, "닫기"},
        {Key::quitHalomark, "Halomark 종료"},
        {Key::loginErrorTitle, "로그인 시 실행 설정을 변경할 수 없습니다"},
        {Key::ok, "확인"},
        {Key::locatorKey, "로케이터 키"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "오른쪽 Ctrl"},
        {Key::locatorKeyRightAlt, "오른쪽 Alt"},
        {Key::locatorKeyNone, "없음"},
        {Key::locatorKeyConflictTitle, "Super는 데스크톱에서도 사용하는 키입니다"},
        {Key::locatorKeyConflictMessage, "Super 키만 단독으로 누르면 {desktop}도 반응하기 때문에, 한 번 누를 때 데스크톱과 Halomark가 함께 반응합니다. 대신 오른쪽 Ctrl로 링을 표시할까요?"},
        {Key::useRightControl, "오른쪽 Ctrl 사용"},
        {Key::keepSuper, "Super 유지"},
        {Key::howToUseMessageLinux,
         "포인터 강조\n"
         "Super 키(Windows 키)를 눌렀다 떼면 포인터 주위에 점점 작아지는 링이 표시됩니다. 링은 선명하고 의도적으로 속도를 늦춘 애니메이션을 사용하므로, 원격 회의나 화면 공유 중 움직임이 낮은 프레임률로 표시되더라도 쉽게 알아볼 수 있습니다.\n"
         "\n"
         "활성 윈도우 강조\n"
         "‘활성 윈도우 강조’를 켜면 활성 상태인 최상위 윈도우는 그대로 보이고, 그 윈도우가 있는 디스플레이의 사용 가능한 영역 중 나머지 부분은 50% 반투명 흰색 베일로 덮입니다. 활성 윈도우가 없는 디스플레이는 가려지지 않습니다. 강조 영역은 Alt+Tab, Super+Tab, 클릭, 작업 표시줄 및 앱에 의한 활성화를 따라 이동합니다. 가려진 영역도 모두 그대로 조작할 수 있으며, 패널과 작업 표시줄은 가려지지 않고 포인터는 절대 이동되지 않습니다.\n"
         "\n"
         "영역 표시\n"
         "트레이 아이콘 메뉴의 ‘영역 선택 단축키’에서 Super + 드래그, Ctrl + Super + 드래그, Alt + Super + 드래그 또는 ‘사용 안 함’을 선택합니다. 선택한 단축키를 누른 채 왼쪽 버튼으로 드래그하면 임시 사각형이 그려집니다. 사각형은 서서히 사라집니다.\n"
         "\n"
         "색상 변경\n"
         "‘색상’ 하위 메뉴를 열어 강조 색상으로 사용할 프리셋 색상이나 사용자 지정 색상을 선택합니다. 색상을 선택하면 현재 포인터 위치에 링이 표시되어 해당 색상을 미리 볼 수 있습니다.\n"
         "\n"
         "언어 변경\n"
         "‘언어’ 하위 메뉴를 열어 표시 언어를 선택합니다. 기본적으로 Halomark는 시스템의 선호 언어를 따릅니다.\n"
         "\n"
         "로그인 시 실행\n"
         "‘로그인 시 실행’을 켜면 컴퓨터에 로그인할 때 Halomark가 자동으로 실행됩니다."},
        {Key::aboutMessageLinux,
         "Halomark는 소프트웨어 데모, 프레젠테이션, 화면 공유 중에 청중의 주의를 이끌어 주는 Linux 트레이 유틸리티입니다. 포인터를 자동으로 움직이지 않고도 포인터 위치, 활성 윈도우, 화면의 중요한 영역을 분명하게 보여 줍니다."},
        {Key::privacyPolicyMessageLinux,
         "Halomark는 개인정보를 수집, 저장, 전송하거나 공유하지 않습니다.\n"
         "\n"
         "선택한 색상, 표시 언어, 로그인 시 실행 설정과 같은 환경설정은 사용자의 컴퓨터에 로컬로 저장됩니다.\n"
         "\n"
         "Halomark는 강조 표시를 위해 활성 앱, 보이는 윈도우의 위치, 보조 키 및 마우스 버튼 상태를 사용자의 컴퓨터에서만 처리합니다. 화면 내용을 캡처하거나 입력한 텍스트를 기록하지 않습니다.\n"
         "\n"
         "Halomark는 외부 서버에 연결하지 않으며 분석, 광고 또는 추적 SDK를 사용하지 않습니다."},
        {Key::spotlight, "스포트라이트"},
        {Key::showClicks, "클릭 표시"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables
