#include "ImageDocument.h"

ImageDocument::ImageDocument(QObject* parent) : QObject(parent) {}

ImageDocument::~ImageDocument() = default;

QPair<QImage, QImage> ImageDocument::requestImages(int first, int second)
{
    QImage left = requestImage(first);
    QImage right = requestImage(second);
    return qMakePair(left, right);
}

void ImageDocument::setScale(double scale)
{
    m_scale = scale;
    emit scaleChanged(scale);
}

void ImageDocument::setColumnCount(int count)
{
    m_columnCount = count == 2 ? 2 : 1;
    emit columnCountChanged(m_columnCount);
}

void ImageDocument::nextPage()
{
    const int count = pageCount();
    const int target = m_page + m_columnCount;
    if (count > 0 && target <= count)
        setPage(target);
}

void ImageDocument::previousPage()
{
    if (pageCount() <= 0 || m_page <= 1)
        return;
    setPage(m_page == 2 ? 1 : qMax(1, m_page - m_columnCount));
}

void ImageDocument::setPage(int number)
{
    m_page = isValidPage(number) ? number : 1;
    emit pageNumberChanged(m_page);
}

void ImageDocument::moveToEnd()
{
    setPage(pageCount());
}

void ImageDocument::moveToHome()
{
    setPage(1);
}
