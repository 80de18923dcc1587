#pragma once

#include <QPixmap>

/// The product banner and the maker's logo, drawn rather than shipped as files.
QPixmap ProductBanner(const QSize& size);
QPixmap MakerLogo(const QSize& size);
