// The three groups of pictures; each writes its files into the given folder.
#pragma once

#include <QString>

void makeBanners(const QString& resDir);
void makeIcons(const QString& resDir);
void makeFaces(const QString& facesDir);
