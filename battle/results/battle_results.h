// The result pages of a decided battle (fMenu 96..113).
#pragma once

void BattleResults();
