#include "page_model.h"

namespace printing {

QSizeF PageSetup::paperMm() const
{
    const QSizeF s = QPageSize(size).size(QPageSize::Millimeter);
    return orientation == QPageLayout::Landscape ? s.transposed() : s;
}

QPageLayout PageSetup::pageLayout() const
{
    return QPageLayout(QPageSize(size), orientation, QMarginsF(leftMm, topMm, rightMm, bottomMm),
                       QPageLayout::Millimeter);
}

namespace {
template <typename T> const T *find(const PageModel &m, int page, const QString &name)
{
    if (page < 0 || page >= m.pages.size())
        return nullptr;
    for (const PageItem &item : m.pages[page].items)
        if (const T *t = std::get_if<T>(&item); t && t->name == name)
            return t;
    return nullptr;
}
} // namespace

const TextItem *PageModel::text(int page, const QString &name) const { return find<TextItem>(*this, page, name); }
const RectItem *PageModel::rect(int page, const QString &name) const { return find<RectItem>(*this, page, name); }
const LineItem *PageModel::line(int page, const QString &name) const { return find<LineItem>(*this, page, name); }
const ImageItem *PageModel::image(int page, const QString &name) const { return find<ImageItem>(*this, page, name); }

QList<const TextItem *> PageModel::texts(int page, const QString &name) const
{
    QList<const TextItem *> out;
    if (page < 0 || page >= pages.size())
        return out;
    for (const PageItem &item : pages[page].items)
        if (const TextItem *t = std::get_if<TextItem>(&item); t && t->name == name)
            out.append(t);
    return out;
}

} // namespace printing
