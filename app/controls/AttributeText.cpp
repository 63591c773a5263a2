#include "controls/AttributeText.h"

#include <QCoreApplication>

#include "Format.h"

namespace karvio {

QString AttributesText(int32_t attributes) {
    QString text;
    for (const char* word : AttributeWords(attributes)) {
        if (!text.isEmpty()) text += QLatin1Char('-');
        text += QCoreApplication::translate("Attributes", word);
    }
    return text;
}

}  // namespace karvio
