#include "editor/SortedCollection.h"

#include <QTest>

using namespace kelvane::editor;

namespace {

using Collection = SortedCollection<CtrlInfo>;

std::shared_ptr<CtrlInfo> info(int index, int zpos)
{
    return std::make_shared<CtrlInfo>(CtrlInfo{index, zpos});
}

QList<int> zposOf(const Collection &collection)
{
    QList<int> order;
    for (qsizetype i = 1; i <= collection.count(); ++i)
        order.append(collection.Item(i)->ZPos);
    return order;
}

} // namespace

class TestSortedCollection : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ownerDecidesTheOrder();
    void withoutAnAnswerItemsGoToTheMiddle();
};

void TestSortedCollection::ownerDecidesTheOrder()
{
    // As the editor orders stacking positions: the rear-most first.
    Collection collection;
    int asked = 0;
    collection.SetCompare([&asked](const CtrlInfo &o1, const CtrlInfo &o2, std::int16_t &result) {
        ++asked;
        result = o1.ZPos > o2.ZPos ? 2 : (o1.ZPos < o2.ZPos ? 1 : 0);
    });
    collection.Add(info(0, 3), QStringLiteral("0"));
    QCOMPARE(asked, 0);   // the first item needs no comparison
    collection.Add(info(1, 0), QStringLiteral("1"));
    collection.Add(info(2, 5), QStringLiteral("2"));
    QCOMPARE(zposOf(collection), (QList<int>{5, 3, 0}));
    QCOMPARE(collection.Item(1)->Index, 2);

    // An answer outside 0..2 stops the search like 0: before the middle item.
    collection.SetCompare([](const CtrlInfo &, const CtrlInfo &, std::int16_t &result) { result = 7; });
    collection.Add(info(3, 9));
    QCOMPARE(zposOf(collection), (QList<int>{5, 9, 3, 0}));
}

void TestSortedCollection::withoutAnAnswerItemsGoToTheMiddle()
{
    Collection collection;
    for (int i = 1; i <= 5; ++i)
        collection.Add(info(i, i));
    // Each goes before the item at (1 + count) div 2: 1; 2 1; 3 2 1; 3 4 2 1; 3 5 4 2 1.
    QList<int> order;
    for (qsizetype i = 1; i <= collection.count(); ++i)
        order.append(collection.Item(i)->Index);
    QCOMPARE(order, (QList<int>{3, 5, 4, 2, 1}));
    // Positions outside the list give nothing.
    QVERIFY(!collection.Item(0) && !collection.Item(6) && !collection.Item(-1));
    collection.Clear();
    QVERIFY(!collection.Item(1));
}

QTEST_GUILESS_MAIN(TestSortedCollection)
#include "tst_sortedcollection.moc"
