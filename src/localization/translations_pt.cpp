// The Portuguese texts of every key, in key order.
#include "localization/translation_tables.h"

namespace halomark::translation_tables {

std::span<const TranslationEntry> portuguese()
{
    // One source line per line of text, so the tables read as they are shown.
    // clang-format off
    static constexpr TranslationEntry table[] = {
        {Key::enableHalomark, "Ativar Halomark"},
        {Key::focusCue, "Realçar a janela ativa"},
        {Key::rangeSelectionShortcut, "Atalho de seleção de área"},
        {Key::drag, "Arrastar"},
        {Key::off, "Desativado"},
        {Key::launchAtLogin, "Abrir ao iniciar sessão"},
        {Key::language, "Idioma"},
        {Key::systemDefault, "Usar definição do sistema"},
        {Key::color, "Cor"},
        {Key::colorDefault, "Predefinição (branco)"},
        {Key::colorRed, "Vermelho"},
        {Key::colorOrange, "Laranja"},
        {Key::colorYellow, "Amarelo"},
        {Key::colorGreen, "Verde"},
        {Key::colorCyan, "Ciano"},
        {Key::colorBlue, "Azul"},
        {Key::colorPurple, "Roxo"},
        {Key::colorCustom, "Personalizada…"},
        {Key::howToUse, "Como utilizar"},
        {Key::howToUseTitle, "Como utilizar o Halomark"},
        {Key::howToUseMessage,
         "Realçar o ponteiro\n"
         "Prima e solte a tecla Comando para mostrar um anel que se contrai à volta do ponteiro. O anel usa uma animação nítida e com um ritmo propositadamente pausado, concebida para continuar fácil de notar em reuniões remotas e na partilha de ecrã, mesmo quando o movimento é apresentado com uma taxa de fotogramas mais baixa.\n"
         "\n"
         "Realçar a janela ativa\n"
         "Ative «Realçar a janela ativa» para manter desimpedida a janela ativa de nível superior, enquanto o resto da área utilizável do ecrã dessa janela é coberto por um véu branco translúcido a 50%. Os ecrãs que não contêm a janela ativa ficam sem máscara. A área realçada acompanha Comando+Tab, Comando+@ / Comando+`, os cliques, a Dock, o Stage Manager, o Mission Control e a ativação feita pelas aplicações. As áreas com máscara continuam totalmente utilizáveis, a barra de menus e a Dock ficam desimpedidas e o ponteiro nunca é movido.\n"
         "\n"
         "Contornar uma área\n"
         "Em «Atalho de seleção de área» na barra de menus, escolha Comando + Arrastar, Control + Comando + Arrastar, Opção + Comando + Arrastar ou Desativado. Mantenha premido o atalho selecionado e arraste com o botão esquerdo para desenhar um retângulo temporário. O retângulo desvanece-se gradualmente.\n"
         "\n"
         "Alterar a cor\n"
         "Abra o submenu Cor para escolher uma cor predefinida ou personalizada para as indicações. Depois de escolher uma cor, um anel na posição atual do ponteiro mostra uma pré-visualização dessa cor.\n"
         "\n"
         "Alterar o idioma\n"
         "Abra o submenu Idioma para escolher o idioma de apresentação. Por predefinição, o Halomark segue o seu idioma preferido do macOS.\n"
         "\n"
         "Abrir ao iniciar sessão\n"
         "Ative «Abrir ao iniciar sessão» para que o Halomark abra automaticamente quando iniciar sessão no seu Mac."},
        {Key::aboutHalomark, "Acerca do Halomark"},
        {Key::aboutMessage,
         "O Halomark é um utilitário da barra de menus do macOS para orientar a atenção do seu público durante demonstrações de software, apresentações e partilha de ecrã. Torna bem visíveis a posição do ponteiro, a janela ativa e as áreas importantes do ecrã, sem mover o ponteiro automaticamente."},
        {Key::version, "Versão"},
        {Key::privacyPolicy, "Política de privacidade"},
        {Key::privacyPolicyTitle, "Política de privacidade do Halomark"},
        {Key::privacyPolicyMessage,
         "O Halomark não recolhe, armazena, transmite nem partilha informações pessoais.\n"
         "\n"
         "As preferências, como a cor selecionada, o idioma de apresentação e a definição de abrir ao iniciar sessão, são guardadas localmente no seu Mac.\n"
         "\n"
         "Para mostrar as suas indicações, o Halomark processa a aplicação ativa, a posição das janelas visíveis e o estado da tecla Comando e dos botões do rato apenas no seu Mac. Não captura o conteúdo do ecrã nem regista o texto escrito.\n"
         "\n"
         "O Halomark não se liga a servidores externos e não utiliza SDK de análise, publicidade ou rastreio."},
        {Key::support, "Suporte"},
        {Key::openWebVersion, "Abrir versão web"},
        {Key::close, "Fechar"},
        {Key::quitHalomark, "Sair do Halomark"},
        {Key::loginErrorTitle, "Não foi possível atualizar a abertura ao iniciar sessão"},
        {Key::ok, "OK"},
        {Key::locatorKey, "Tecla do localizador"},
        {Key::locatorKeySuper, "Super"},
        {Key::locatorKeyRightControl, "Ctrl direito"},
        {Key::locatorKeyRightAlt, "Alt direito"},
        {Key::locatorKeyNone, "Nenhuma"},
        {Key::locatorKeyConflictTitle, "Super é também a tecla do seu ambiente de trabalho"},
        {Key::locatorKeyConflictMessage, "{desktop} também reage quando Super é premida sozinha, pelo que tanto o ambiente de trabalho como o Halomark vão responder ao mesmo toque. Mostrar o anel com Ctrl direito em vez disso?"},
        {Key::useRightControl, "Usar Ctrl direito"},
        {Key::keepSuper, "Manter Super"},
        {Key::howToUseMessageLinux,
         "Realçar o ponteiro\n"
         "Prima e solte a tecla Super (a tecla Windows) para mostrar um anel que se contrai à volta do ponteiro. O anel usa uma animação nítida e com um ritmo propositadamente pausado, concebida para continuar fácil de notar em reuniões remotas e na partilha de ecrã, mesmo quando o movimento é apresentado com uma taxa de fotogramas mais baixa.\n"
         "\n"
         "Realçar a janela ativa\n"
         "Ative «Realçar a janela ativa» para manter desimpedida a janela ativa de nível superior, enquanto o resto da área utilizável do ecrã dessa janela é coberto por um véu branco translúcido a 50%. Os ecrãs que não contêm a janela ativa ficam sem máscara. A área realçada acompanha Alt+Tab, Super+Tab, os cliques, a barra de tarefas e a ativação feita pelas aplicações. As áreas com máscara continuam totalmente utilizáveis, os painéis e a barra de tarefas ficam desimpedidos e o ponteiro nunca é movido.\n"
         "\n"
         "Contornar uma área\n"
         "Em «Atalho de seleção de área» no menu do ícone da área de notificação, escolha Super + Arrastar, Ctrl + Super + Arrastar, Alt + Super + Arrastar ou Desativado. Mantenha premido o atalho selecionado e arraste com o botão esquerdo para desenhar um retângulo temporário. O retângulo desvanece-se gradualmente.\n"
         "\n"
         "Alterar a cor\n"
         "Abra o submenu Cor para escolher uma cor predefinida ou personalizada para as indicações. Depois de escolher uma cor, um anel na posição atual do ponteiro mostra uma pré-visualização dessa cor.\n"
         "\n"
         "Alterar o idioma\n"
         "Abra o submenu Idioma para escolher o idioma de apresentação. Por predefinição, o Halomark segue o idioma preferido do seu sistema.\n"
         "\n"
         "Abrir ao iniciar sessão\n"
         "Ative «Abrir ao iniciar sessão» para que o Halomark abra automaticamente quando iniciar sessão no seu computador."},
        {Key::aboutMessageLinux,
         "O Halomark é um utilitário da área de notificação do Linux para orientar a atenção do seu público durante demonstrações de software, apresentações e partilha de ecrã. Torna bem visíveis a posição do ponteiro, a janela ativa e as áreas importantes do ecrã, sem mover o ponteiro automaticamente."},
        {Key::privacyPolicyMessageLinux,
         "O Halomark não recolhe, armazena, transmite nem partilha informações pessoais.\n"
         "\n"
         "As preferências, como a cor selecionada, o idioma de apresentação e a definição de abrir ao iniciar sessão, são guardadas localmente no seu computador.\n"
         "\n"
         "Para mostrar as suas indicações, o Halomark processa a aplicação ativa, a posição das janelas visíveis e o estado das teclas modificadoras e dos botões do rato apenas no seu computador. Não captura o conteúdo do ecrã nem regista o texto escrito.\n"
         "\n"
         "O Halomark não se liga a servidores externos e não utiliza SDK de análise, publicidade ou rastreio."},
        {Key::spotlight, "Foco"},
        {Key::showClicks, "Mostrar cliques"},
    };
    // clang-format on
    return table;
}

} // namespace halomark::translation_tables
