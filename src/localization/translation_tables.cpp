#include "localization/translation_tables.h"

namespace halomark {

std::span<const TranslationEntry> translationTable(Language language)
{
    switch (language) {
    case Language::system:
        return {};
    case Language::ja:
        return translation_tables::japanese();
    case Language::en:
        return translation_tables::english();
    case Language::zhHans:
        return translation_tables::simplifiedChinese();
    case Language::zhHant:
        return translation_tables::traditionalChinese();
    case Language::ko:
        return translation_tables::korean();
    case Language::es:
        return translation_tables::spanish();
    case Language::fr:
        return translation_tables::french();
    case Language::de:
        return translation_tables::german();
    case Language::pt:
        return translation_tables::portuguese();
    }
    return {};
}

} // namespace halomark
