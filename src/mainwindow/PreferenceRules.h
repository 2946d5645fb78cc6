#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The sort and date-range boxes of the card pages: their items, their keys in Kestrel.ini and the
// SQL each shown text adds to a card list.

struct PreferenceBox {
    const char* Name; // objectName of the box
    int Page;         // the main window page that carries it
    QStringList Items;
    QString IniKey;
    QString Default; // value when the key is missing
};

// The eight boxes in the order they are read at sign-in.
const QList<PreferenceBox>& PreferenceBoxes();

// The index a stored text selects: the number when it is one of 0..itemCount-1, else 0.
int StoredPreferenceIndex(const QString& stored, int itemCount);

// " Order By CustomerIndex Desc" and the like; empty when the field text is none of the items.
QString CustomerOrderText(const QString& fieldText, const QString& directionText);
// prefix "Bill" or "Money": the date clause of 当天单据 / 当月单据 on <prefix>CreateTime.
QString CardDateClause(const QString& prefix, const QString& rangeText, const QDate& workingDate);
// prefix "Bill" or "Money": the ordering of 按记录号 / 按单据号 / 按客户名 / 按日期时间 and the direction.
QString CardOrderClause(const QString& prefix, const QString& fieldText, const QString& directionText);

// The result grids' amounts with thousands separators: key "金额千位分隔" in section "Kestrel",
// "1" or "0"; off when missing or anything else.
bool ReadThousandsPreference(const QString& iniFileName);
bool WriteThousandsPreference(const QString& iniFileName, bool on);
