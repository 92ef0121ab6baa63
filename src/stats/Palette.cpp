#include "stats/Palette.h"

#include "stats/Color.h"

namespace gaugelet {

namespace {

Palette make(const char* id, const char* name, bool isDark, std::initializer_list<const char*> hexes)
{
    QList<QColor> c;
    for (const char* hex : hexes)
        c.append(Color::fromHex(QString::fromLatin1(hex)).value_or(QColor()));
    return Palette{QString::fromLatin1(id), QString::fromLatin1(name), isDark,
                   c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10]};
}

} // namespace

const QList<Palette>& Palette::builtIns()
{
    static const QList<Palette> all = {
        make("gum.dark", "Gum Dark", true,
             {"#1A1A1A", "#FAFAFA", "#626262", "#4A87FF", "#FF7CCB", "#04B575", "#7D56F4", "#FFCC66", "#FE8019", "#0EA5E9", "#22D3EE"}),
        make("gum.light", "Gum Light", false,
             {"#FAF9F6", "#2A2533", "#7C778C", "#2D5DCC", "#D14C95", "#0F8F5A", "#5840D9", "#C99520", "#D66818", "#0480B5", "#0E9DAB"}),
        make("one.dark", "One Dark", true,
             {"#282C33", "#ACB2BE", "#5D636F", "#74ADE8", "#D07277", "#A1C181", "#B477CF", "#E8B048", "#BF956A", "#6EB4BF", "#73ADE9"}),
        make("one.light", "One Light", false,
             {"#FAFAFA", "#242529", "#7C7E86", "#5C78E2", "#D3604F", "#649F57", "#A449AB", "#D6932A", "#AD6E25", "#3882B7", "#5B79E3"}),
        make("ayu.dark", "Ayu Dark", true,
             {"#0D1016", "#BFBDB6", "#5C6773", "#5AC1FE", "#F07178", "#A9D94B", "#D2A6FF", "#FFB353", "#FF8F3F", "#39BAE6", "#95E6CB"}),
        make("ayu.mirage", "Ayu Mirage", true,
             {"#242835", "#CCCAC2", "#5C6773", "#72CFFE", "#F28779", "#D4FE7F", "#DFBFFF", "#FFD173", "#FFAD65", "#5CCFE6", "#95E6CB"}),
        make("ayu.light", "Ayu Light", false,
             {"#FCFCFC", "#5C6166", "#ABB0B6", "#3B9EE5", "#F07171", "#86B300", "#A37ACC", "#F2AD48", "#FA8D3E", "#399EE6", "#4CBF99"}),
    };
    return all;
}

std::optional<Palette> Palette::byId(QStringView id)
{
    for (const Palette& p : builtIns()) {
        if (p.id == id)
            return p;
    }
    return std::nullopt;
}

const QSet<QString>& Palette::unlistedIds()
{
    static const QSet<QString> ids = {QStringLiteral("gum.light"), QStringLiteral("one.light"),
                                      QStringLiteral("ayu.dark"), QStringLiteral("ayu.light")};
    return ids;
}

} // namespace gaugelet
