// The page setup a sheet copied into another workbook takes along.

#include "spreadsheet/lo/calls.h"
#include "spreadsheet/lo/objects.h"

#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>

namespace sheet::lo {

namespace {

// The page style's settings that are plain values (orientation, scale,
// margins, headers on or off...): the writable properties that are not
// objects of their document. The scale is one setting of three kinds (a
// percentage, a number of pages, pages across and down): setting one resets
// the others, so the four scale properties come last, apart.
const std::vector<OUString>& ScaleProperties() {
    static const std::vector<OUString> scaling = {"PageScale", "ScaleToPages", "ScaleToPagesX",
                                                  "ScaleToPagesY"};
    return scaling;
}

Sequence<OUString> PlainStyleProperties(const Reference<css::beans::XMultiPropertySet>& style) {
    const std::vector<OUString>& scaling = ScaleProperties();
    std::vector<OUString> names;
    for (const css::beans::Property& p : style->getPropertySetInfo()->getProperties())
        if (!(p.Attributes & css::beans::PropertyAttribute::READONLY) &&
            p.Type.getTypeClass() != css::uno::TypeClass_INTERFACE &&
            std::find(scaling.begin(), scaling.end(), p.Name) == scaling.end())
            names.push_back(p.Name);
    names.insert(names.end(), scaling.begin(), scaling.end());
    return Sequence<OUString>(names.data(), sal_Int32(names.size()));
}

// The page style's settings that a printout shows.
const Sequence<OUString>& PrintedSettings() {
    static const Sequence<OUString> names = SeqOf<OUString>(
        {"IsLandscape",      "Width",         "Height",          "PageScale",
         "ScaleToPages",     "ScaleToPagesX", "ScaleToPagesY",   "LeftMargin",
         "RightMargin",      "TopMargin",     "BottomMargin",    "CenterHorizontally",
         "CenterVertically", "PrintGrid",     "PrintHeaders",    "PrintDownFirst",
         "HeaderIsOn",       "FooterIsOn",    "FirstPageNumber", "PrintFormulas",
         "PrintZeroValues"});
    return names;
}

// Gives a new page style the settings read from another one (keys and values
// as PlainStyleProperties lists them).
void FillPageStyle(const Reference<css::beans::XMultiPropertySet>& style,
                   const Sequence<OUString>& keys, const Sequence<Any>& values) {
    const sal_Int32 plain = keys.getLength() - 4;
    const Sequence<OUString> plainKeys(keys.getConstArray(), plain);
    const Sequence<Any> plainValues(values.getConstArray(), plain);
    try {
        style->setPropertyValues(plainKeys, plainValues);
    } catch (const css::uno::Exception&) {
        // One refused value: set them one by one, skipping the refused.
        Reference<XPropertySet> single(style, UNO_QUERY_THROW);
        for (sal_Int32 i = 0; i < plain; ++i) {
            try {
                single->setPropertyValue(keys[i], values[i]);
            } catch (const css::uno::Exception&) {
            }
        }
    }
    sal_Int16 pages = 0, across = 0, down = 0;
    values[plain + 1] >>= pages;
    values[plain + 2] >>= across;
    values[plain + 3] >>= down;
    Reference<XPropertySet> single(style, UNO_QUERY_THROW);
    if (pages > 0) {
        single->setPropertyValue(keys[plain + 1], values[plain + 1]);
    } else if (across > 0 || down > 0) {
        single->setPropertyValue(keys[plain + 2], values[plain + 2]);
        single->setPropertyValue(keys[plain + 3], values[plain + 3]);
    } else {
        single->setPropertyValue(keys[plain], values[plain]);
    }
}

} // namespace

// A sheet copied into another workbook keeps its page setup (orientation,
// scale, margins) when the caller asks: the office's import gives it the
// target's default page style, or the target's style of the same name, which
// in books made alike ("Default", "PageStyle_Data") usually holds other
// settings. The source's style is looked for among the target's styles of
// that name and its numbered variants ("Default_2"); the first with the same
// settings is used, else a new one is added under the first free name. The
// answer is kept per source book and style.
void LoWorkbook::CarryPageStyle(LoWorksheet& from,
                                const Reference<css::sheet::XSpreadsheet>& copy) {
    Reference<XPropertySet> source(from.Sheet(), UNO_QUERY_THROW);
    Reference<XPropertySet> target(copy, UNO_QUERY_THROW);
    const OUString pageStyle("PageStyle");
    OUString name;
    OUString current;
    source->getPropertyValue(pageStyle) >>= name;
    if (name.isEmpty())
        return;
    const QString key = from.Book()->Name() + QLatin1Char('\n') + from.Book()->FullName() +
                        QLatin1Char('\n') + ToQ(name);
    auto known = pageStyles_.constFind(key);
    if (known == pageStyles_.constEnd()) {
        const OUString family("PageStyles");
        Reference<css::container::XNameAccess> sourceStyles(
            Reference<css::style::XStyleFamiliesSupplier>(from.Book()->Doc(), UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(family),
            UNO_QUERY_THROW);
        Reference<css::container::XNameContainer> targetStyles(
            Reference<css::style::XStyleFamiliesSupplier>(doc_, UNO_QUERY_THROW)
                ->getStyleFamilies()
                ->getByName(family),
            UNO_QUERY_THROW);
        Reference<css::beans::XMultiPropertySet> original(sourceStyles->getByName(name),
                                                          UNO_QUERY_THROW);
        // Styles are compared by what a printout shows; all their settings
        // are read only for a style that is added.
        Sequence<Any> printed;
        OUString use = name;
        for (int n = 2;; ++n) {
            if (!targetStyles->hasByName(use)) {
                const Sequence<OUString> keys = PlainStyleProperties(original);
                const Sequence<Any> values = original->getPropertyValues(keys);
                Reference<css::beans::XMultiPropertySet> style(
                    Factory()->createInstance(OUString("com.sun.star.style.PageStyle")),
                    UNO_QUERY_THROW);
                targetStyles->insertByName(use, Any(style));
                FillPageStyle(style, keys, values);
                break;
            }
            if (!printed.hasElements())
                printed = original->getPropertyValues(PrintedSettings());
            Reference<css::beans::XMultiPropertySet> there(targetStyles->getByName(use),
                                                           UNO_QUERY_THROW);
            if (there->getPropertyValues(PrintedSettings()) == printed)
                break;
            use = name + "_" + OUString::number(n);
        }
        known = pageStyles_.insert(key, ToQ(use));
    }
    target->getPropertyValue(pageStyle) >>= current;
    if (ToQ(current) != known.value())
        target->setPropertyValue(pageStyle, Any(ToOU(known.value())));
}

} // namespace sheet::lo
