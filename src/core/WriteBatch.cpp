#include "WriteBatch.h"

int WriteBatch::add(const QString& sql, const QVariantList& values)
{
    steps_.append(Step{sql, values});
    return int(steps_.size()) - 1;
}

void WriteBatch::refuseWhen(const BoundSql& condition, const QString& message, int messageFromStep)
{
    Step step{QStringLiteral("INSERT INTO marquel_refusal (refused) SELECT NULL WHERE ") + condition.text, condition.values};
    step.refusal = message;
    step.messageFromStep = messageFromStep;
    steps_.append(step);
}

void WriteBatch::addOnServer(const BoundSql& statement)
{
    Step step{statement.text, statement.values};
    step.serverOnly = true;
    steps_.append(step);
}

QString WriteBatch::refusalTableStatement()
{
    return QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS marquel_refusal (refused INTEGER NOT NULL)");
}
