// The Japanese texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> japanese()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Halomarkを有効にする"},
        {Key::focusCue, "アクティブウインドウを強調"},
        {Key::rangeSelectionShortcut, "範囲選択ショートカット"},
        {Key::drag, "ドラッグ"},
        {Key::off, "使用しない"},
        {Key::launchAtLogin, "ログイン時に起動"},
        {Key::language, "言語"},
        {Key::systemDefault, "システム設定に合わせる"},
        {Key::color, "色"},
        {Key::colorDefault, "デフォルト（白）"},
        {Key::colorRed, "赤"},
        {Key::colorOrange, "オレンジ"},
        {Key::colorYellow, "黄"},
        {Key::colorGreen, "緑"},
        {Key::colorCyan, "水色"},
        {Key::colorBlue, "青"},
        {Key::colorPurple, "紫"},
        {Key::colorCustom, "カスタム…"},
        {Key::howToUse, "使い方"},
        {Key::howToUseTitle, "Halomarkの使い方"},
        {Key::howToUseMessage,
         "ポインタを強調\n"
         "Commandキーを押して離すと、ポインタの周りに縮んでいくリングが表示されます。リングには、はっきりとした、あえてゆったりとしたテンポのアニメーションが使われており、リモート会議や画面共有で動きが低いフレームレートで表示される場合でも気づきやすいように設計されています。\n"
         "\n"
         "アクティブウインドウを強調\n"
         "「アクティブウインドウを強調」を有効にすると、アクティブなトップレベルウインドウをはっきり見せたまま、そのウインドウがあるディスプレイの使用可能な領域の残りを50%の半透明の白いベールで覆います。アクティブウインドウを含まないディスプレイは覆われません。強調される領域は、Command+Tab、Command+@ / Command+`、クリック、Dock、ステージマネージャ、Mission Control、およびアプリによるアクティブ化に追従します。覆われた領域もすべて通常どおり操作でき、メニューバーとDockは覆われず、ポインタが動かされることはありません。\n"
         "\n"
         "範囲を囲む\n"
         "メニューバーの「範囲選択ショートカット」で、Command + ドラッグ、Control + Command + ドラッグ、Option + Command + ドラッグ、または「使用しない」を選択します。選択したショートカットを押したまま左ドラッグすると、一時的な長方形を描けます。長方形は徐々にフェードアウトします。\n"
         "\n"
         "色を変更\n"
         "「色」サブメニューを開いて、プリセットの色またはカスタムの色を強調表示の色として選択します。色を選択すると、現在のポインタの位置にリングが表示され、その色をプレビューできます。\n"
         "\n"
         "言語を変更\n"
         "「言語」サブメニューを開いて、表示言語を選択します。デフォルトでは、HalomarkはmacOSの優先する言語に従います。\n"
         "\n"
         "ログイン時に起動\n"
         "「ログイン時に起動」を有効にすると、Macにログインしたときに、Halomarkが自動的に起動します。"},
        {Key::aboutHalomark, "Halomarkについて"},
        {Key::aboutMessage,
         "Halomarkは、ソフトウェアのデモ、プレゼンテーション、画面共有の際に聴衆の注意を導くための、macOSのメニューバーユーティリティです。ポインタを自動的に動かすことなく、ポインタの位置、アクティブウインドウ、画面上の重要な領域をわかりやすく示します。"},
        {Key::version, "バージョン"},
        {Key::privacyPolicy, "プライバシーポリシー"},
        {Key::privacyPolicyTitle, "Halomark プライバシーポリシー"},
        {Key::privacyPolicyMessage,
         "Halomarkは、個人情報を収集、保存、送信、共有することはありません。\n"
         "\n"
         "選択した色、表示言語、ログイン時に起動の設定などの環境設定は、お使いのMacのローカルに保存されます。\n"
         "\n"
         "強調表示を行うために、Halomarkはアクティブなアプリ、表示されているウインドウの位置、Commandキー、マウスボタンの状態を、お使いのMac上でのみ処理します。画面の内容を取り込んだり、入力したテキストを記録したりすることはありません。\n"
         "\n"
         "Halomarkは外部サーバに接続せず、分析、広告、トラッキング用のSDKも使用しません。"},
        {Key::support, "サポート"},
        {Key::openWebVersion, "Web版を開く"},
        {Key::close, "閉じる"},
        {Key::quitHalomark, "Halomarkを終了"},
        {Key::loginErrorTitle, "ログイン時起動を変更できませんでした"},
        {Key::ok, "OK"},
        {Key::locatorKey, "ロケータキー"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "右Ctrl"},
        {Key::locatorKeyRightAlt, "右Alt"},
        {Key::locatorKeyNone, "なし"},
        {Key::locatorKeyConflictTitle, "Superはデスクトップのキーでもあります"},
        {Key::locatorKeyConflictMessage, "{desktop}も、Superキーが単独で押されたときに反応するため、同じ操作にデスクトップとHalomarkの両方が反応します。代わりに右Ctrlでリングを表示しますか？"},
        {Key::useRightControl, "右Ctrlを使う"},
        {Key::keepSuper, "Superのままにする"},
        {Key::howToUseMessageLinux,
         "ポインタを強調\n"
         "Superキー（Windowsキー）を押して離すと、ポインタの周りに縮んでいくリングが表示されます。リングには、はっきりとした、あえてゆったりとしたテンポのアニメーションが使われており、リモート会議や画面共有で動きが低いフレームレートで表示される場合でも気づきやすいように設計されています。\n"
         "\n"
         "アクティブウインドウを強調\n"
         "「アクティブウインドウを強調」を有効にすると、アクティブなトップレベルウインドウをはっきり見せたまま、そのウインドウがあるディスプレイの使用可能な領域の残りを50%の半透明の白いベールで覆います。アクティブウインドウを含まないディスプレイは覆われません。強調される領域は、Alt+Tab、Super+Tab、クリック、タスクバー、およびアプリによるアクティブ化に追従します。覆われた領域もすべて通常どおり操作でき、パネルとタスクバーは覆われず、ポインタが動かされることはありません。\n"
         "\n"
         "範囲を囲む\n"
         "トレイアイコンのメニューの「範囲選択ショートカット」で、Super + ドラッグ、Ctrl + Super + ドラッグ、Alt + Super + ドラッグ、または「使用しない」を選択します。選択したショートカットを押したまま左ドラッグすると、一時的な長方形を描けます。長方形は徐々にフェードアウトします。\n"
         "\n"
         "色を変更\n"
         "「色」サブメニューを開いて、プリセットの色またはカスタムの色を強調表示の色として選択します。色を選択すると、現在のポインタの位置にリングが表示され、その色をプレビューできます。\n"
         "\n"
         "言語を変更\n"
         "「言語」サブメニューを開いて、表示言語を選択します。デフォルトでは、Halomarkはシステムの優先する言語に従います。\n"
         "\n"
         "ログイン時に起動\n"
         "「ログイン時に起動」を有効にすると、コンピュータにログインしたときに、Halomarkが自動的に起動します。"},
        {Key::aboutMessageLinux,
         "Halomarkは、ソフトウェアのデモ、プレゼンテーション、画面共有の際に聴衆の注意を導くための、Linuxのトレイユーティリティです。ポインタを自動的に動かすことなく、ポインタの位置、アクティブウインドウ、画面上の重要な領域をわかりやすく示します。"},
        {Key::privacyPolicyMessageLinux,
         "Halomarkは、個人情報を収集、保存、送信、共有することはありません。\n"
         "\n"
         "選択した色、表示言語、ログイン時に起動の設定などの環境設定は、お使いのコンピュータのローカルに保存されます。\n"
         "\n"
         "強調表示を行うために、Halomarkはアクティブなアプリ、表示されているウインドウの位置、修飾キー、マウスボタンの状態を、お使いのコンピュータ上でのみ処理します。画面の内容を取り込んだり、入力したテキストを記録したりすることはありません。\n"
         "\n"
         "Halomarkは外部サーバに接続せず、分析、広告、トラッキング用のSDKも使用しません。"},
        {Key::spotlight, "スポットライト"},
        {Key::showClicks, "クリックを表示"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables
