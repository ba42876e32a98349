#pragma once

#include "core/Connection.h"
#include "core/Recordset.h"

#include <QString>

// Targets of three plans, some with feedback: P'1 (an apostrophe in its number) has two,
// one of them answered; P2 has two, one answered; one target has no plan number.
inline void insertExportTargets(Connection& db)
{
    db.execute(QStringLiteral(
        "INSERT INTO \"clientTableInfo\" (序号, 营销对象, 电话1, 地址, 电话数, 产品1计数, 反馈合计, 记录号) VALUES "
        "('P''1', '北京华信科技有限公司', '010-62345678', '北京市海淀区', 2, 1, 2, ''), "
        "('P''1', '上海申达商行', '021-5555', '上海市', 0, 0, 0, '2'), "
        "('P2', '天津宏达贸易公司', '022-23456789', '天津市', 5, 0, 5, ''), "
        "('P2', '王先生', '', '', 0, 0, 0, '4'), "
        "('', '广州无名公司', '', '', 0, 0, 0, '5')"));
}

inline int countRows(const std::shared_ptr<Connection>& db, const QString& statement)
{
    return Recordset(db, statement).recordCount();
}
