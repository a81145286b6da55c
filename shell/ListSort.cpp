#include "shell/ListSort.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "birthdays/Birthday.h"
#include "core/Event.h"
#include "core/Unicode.h"
#include "shell/Log.h"

namespace {

TDateTime Comparable(TDateTime d)
{
    return std::isnan(d) ? 0 : d;
}

RowSortKey TextKey(std::string text)
{
    RowSortKey key;
    key.Rule = SortRule::Text;
    key.Text = std::move(text);
    return key;
}

RowSortKey DateKey(TDateTime date)
{
    RowSortKey key;
    key.Rule = SortRule::DateTime;
    key.Date = date;
    return key;
}

}  // namespace

int CompareText(std::string_view a, std::string_view b)
{
    return CompareIgnoreCase(a, b);
}

int ParseAge(std::string_view text)
{
    // from_chars takes a leading "-" but not "+"; after a "+" a digit must follow.
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (text.empty() || text.front() < '0' || text.front() > '9')
            return 0;
    }
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (ec != std::errc{} || ptr != end)
        return 0;
    return value;
}

bool IsSortColumn(int column)
{
    return column >= 0 && column < SortColumnCount;
}

RowSortKey EventRowSortKey(const EventList& events, int column, const ListRowTexts& row)
{
    switch (column) {
    case 1: {
        const TEvent* e = events.Find(row.Caption);
        if (e == nullptr) {
            WriteLog(SortMissingRecordMessage);
            return DateKey(0);
        }
        return DateKey(e->StartDateTime);
    }
    case 2:
        return TextKey(row.Third);
    default:
        return TextKey(row.Caption);
    }
}

RowSortKey BirthdayRowSortKey(const BirthdayList& birthdays, int column, const ListRowTexts& row)
{
    switch (column) {
    case 1: {
        const int index = birthdays.IndexOf(row.Caption);
        if (index < 0) {
            WriteLog(SortMissingRecordMessage);
            return DateKey(0);
        }
        return DateKey(birthdays[index].BirthDate);
    }
    case 2: {
        RowSortKey key;
        key.Rule = SortRule::Integer;
        key.Number = ParseAge(row.Third);
        return key;
    }
    default:
        return TextKey(row.Caption);
    }
}

int CompareRowKeys(const RowSortKey& a, const RowSortKey& b)
{
    switch (a.Rule) {
    case SortRule::DateTime: {
        const TDateTime x = Comparable(a.Date);
        const TDateTime y = Comparable(b.Date);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    case SortRule::Integer:
        return a.Number < b.Number ? -1 : (b.Number < a.Number ? 1 : 0);
    case SortRule::Text:
        break;
    }
    return CompareText(a.Text, b.Text);
}

std::vector<int> SortedOrder(const std::vector<RowSortKey>& keys)
{
    std::vector<int> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        return CompareRowKeys(keys[static_cast<size_t>(x)], keys[static_cast<size_t>(y)]) < 0;
    });
    return order;
}
